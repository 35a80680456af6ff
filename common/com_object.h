// The reference count of a COM class we implement ourselves (the reference host's effects, the
// tests' recording device and fakes): AddRef and Release written once. Objects start with one
// reference, owned by whoever made them, and delete themselves when the last one is released.
#pragma once

#include <windows.h>

template <typename Interface>
class ComObject : public Interface {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        LONG left = InterlockedDecrement(&references_);
        if (left == 0) {
            // A destructor whose own code takes and gives back a reference (handing `this` to a
            // holder, say) must not bring the count to zero a second time and delete again.
            references_ = kDying;
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // The current count, for tests that check references stay balanced.
    ULONG References() const { return static_cast<ULONG>(references_); }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

private:
    static constexpr LONG kDying = 0x40000000;
    LONG references_ = 1;
};
