// A COM object's reference count, seen by taking a reference and giving it back.
#pragma once

#include <unknwn.h>

inline ULONG ReferenceCount(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}
