// Owners for COM: one reference to an interface, a VARIANT, a BSTR, and the
// thread's COM apartment for the life of a scope.
#pragma once
#include <objbase.h>
#include <oleauto.h>

namespace fw {

// Releases the reference it holds when it goes.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // The slot a call that hands out a reference writes into.
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (p_) p_->Release();
        p_ = nullptr;
    }

private:
    T* p_ = nullptr;
};

// A VARIANT, empty at first, cleared when it goes (a BSTR in it freed).
struct Variant {
    VARIANT v;
    Variant() { VariantInit(&v); }
    ~Variant() { VariantClear(&v); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;
};

// A BSTR made from a text, freed when it goes; null when out of memory.
class BString {
public:
    explicit BString(const wchar_t* text) : s_(SysAllocString(text)) {}
    ~BString() { SysFreeString(s_); }
    BString(const BString&) = delete;
    BString& operator=(const BString&) = delete;
    BSTR get() const { return s_; }

private:
    BSTR s_;
};

// COM on this thread (single-threaded apartment) while the object lives;
// a thread that has COM already keeps it as it is.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    HRESULT hr_;
};

}  // namespace fw
