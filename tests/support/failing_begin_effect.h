// An effect whose Begin fails after writing a pass count, as a broken effect may, and which records
// the calls of a draw (Begin, BeginPass, EndPass, End). Everything else is "not implemented".
#pragma once

#include <string>
#include <vector>

#include "unimplemented_effect.h"

class FailingBeginEffect final : public UnimplementedEffect {
public:
    std::vector<std::string> calls;

    // Lives on the test's stack: the test's own reference keeps the count above zero.
    STDMETHOD(QueryInterface)(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHOD(Begin)(UINT* passes, DWORD) override
    {
        calls.push_back("Begin");
        if (passes)
            *passes = 2;
        return D3DERR_INVALIDCALL;
    }
    STDMETHOD(BeginPass)(UINT) override { return Record("BeginPass"); }
    STDMETHOD(EndPass)() override { return Record("EndPass"); }
    STDMETHOD(End)() override { return Record("End"); }

private:
    HRESULT Record(const char* call)
    {
        calls.push_back(call);
        return D3D_OK;
    }
};
