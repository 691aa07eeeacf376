#pragma once

// Private to the access layer: the client library's entry points and the helpers
// every wrapper needs. Nothing outside src/fb includes this header.

#include "Error.h"

#include <QString>
#include <firebird/Interface.h>
#include <utility>

namespace fb::detail {

Firebird::IMaster* master();
Firebird::IProvider* provider();
Firebird::IUtil* util();

// The error text of a status vector, decoded from code page 1251.
QString statusText(const Firebird::IStatus* status);
Error toError(const Firebird::FbException& e);

// One status object per call; throws Firebird::FbException on failure.
class Status {
public:
    Status() : m_raw(master()->getStatus()), m_wrapper(m_raw) {}
    ~Status() { m_raw->dispose(); }
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;

    Firebird::ThrowStatusWrapper* operator&() { return &m_wrapper; }

private:
    Firebird::IStatus* m_raw;
    Firebird::ThrowStatusWrapper m_wrapper;
};

// Runs f(status) and turns a client-library failure into fb::Error.
template <typename F> decltype(auto) call(F&& f) {
    Status status;
    try {
        return std::forward<F>(f)(&status);
    } catch (const Firebird::FbException& e) {
        throw toError(e);
    }
}

// Owns one reference to an interface. After a successful commit, detach, close,
// free or cancel the interface is already gone: call disown() then.
template <typename T> class Ref {
public:
    Ref() = default;
    explicit Ref(T* p) : m_p(p) {}
    ~Ref() { reset(); }
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    Ref(Ref&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    Ref& operator=(Ref&& o) noexcept {
        if (this != &o) {
            reset();
            m_p = std::exchange(o.m_p, nullptr);
        }
        return *this;
    }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    void reset(T* p = nullptr) {
        if (m_p) {
            if constexpr (requires(T * t) { t->release(); })
                m_p->release();
            else
                m_p->dispose(); // builders are disposable, not counted
        }
        m_p = p;
    }
    void disown() { m_p = nullptr; }

private:
    T* m_p = nullptr;
};

} // namespace fb::detail
