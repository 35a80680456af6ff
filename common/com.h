// Com<T>: holds one reference on a COM object and releases it when the holder lets go. Whether a
// holder takes over a reference the caller already owns (Adopt) or adds one of its own (Share) is
// always spelled out where it is made, because getting that wrong is how references leak or are
// released twice.
#pragma once

#include <cstddef>
#include <utility>

template <typename T>
class Com {
public:
    Com() = default;
    Com(std::nullptr_t) {}

    // Takes over the reference the caller holds (the result of a Create* call, say).
    static Com Adopt(T* object)
    {
        Com holder;
        holder.object_ = object;
        return holder;
    }

    // Adds a reference of its own; the caller keeps theirs.
    static Com Share(T* object)
    {
        if (object)
            object->AddRef();
        return Adopt(object);
    }

    Com(const Com& other) : object_(other.object_)
    {
        if (object_)
            object_->AddRef();
    }
    Com(Com&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}

    Com& operator=(const Com& other)
    {
        if (other.object_)
            other.object_->AddRef();
        Release(std::exchange(object_, other.object_));
        return *this;
    }
    Com& operator=(Com&& other) noexcept
    {
        if (this != &other)
            Release(std::exchange(object_, std::exchange(other.object_, nullptr)));
        return *this;
    }
    Com& operator=(std::nullptr_t)
    {
        reset();
        return *this;
    }

    ~Com() { Release(object_); }

    // Releases the held reference (if any) and holds nothing.
    void reset() { Release(std::exchange(object_, nullptr)); }

    // For Create*/Get* calls that hand a new reference out through a T**: whatever the holder had
    // is released first, and the call's result is adopted.
    T** put()
    {
        reset();
        return &object_;
    }

    // Lends the object: the caller gets no reference of its own.
    T* ptr() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // Hands out a new reference, which the receiver must release.
    T* ref() const
    {
        if (object_)
            object_->AddRef();
        return object_;
    }

    // Lets go of the object without releasing it: only for objects whose device may already be
    // gone (records dropped when the plugin is unloaded). The reference is lost on purpose.
    void abandon() { object_ = nullptr; }

    friend bool operator==(const Com& holder, const T* object) { return holder.object_ == object; }
    friend bool operator==(const Com& holder, std::nullptr_t) { return holder.object_ == nullptr; }

private:
    static void Release(T* object)
    {
        if (object)
            object->Release();
    }

    T* object_ = nullptr;
};
