// COM owners: an interface pointer released at scope end, and the apartment of one thread.
#pragma once

#include <objbase.h>

#include <utility>

namespace win32 {

template <typename T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { reset(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            p_ = std::exchange(other.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_)
            p_->Release();
        p_ = nullptr;
    }
    // For CoCreateInstance and QueryInterface: the old pointer is released first.
    void** out() {
        reset();
        return reinterpret_cast<void**>(&p_);
    }

  private:
    T* p_ = nullptr;
};

// CoInitializeEx for the calling thread, undone at scope end when it succeeded.
class ComApartment {
  public:
    ComApartment() : initialised_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialised_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    bool initialised() const { return initialised_; }

  private:
    bool initialised_;
};

}  // namespace win32
