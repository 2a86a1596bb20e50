#pragma once

// A reference-counted owner of one object, for one thread only: the count is a
// plain integer. Copies share one record; the last owner applies Deleter.

#include <cstdint>
#include <new>
#include <utility>

namespace util {

template <typename T>
struct DefaultDelete {
    void operator()(T* object) const { delete object; }
};

template <typename T, typename Deleter = DefaultDelete<T>>
class SharedPtr {
public:
    // An owner of nothing, without a record.
    SharedPtr() noexcept = default;

    // Takes the object (which may be null) into a new record counting 1. Should
    // the record itself fail to allocate, the object is deleted before the
    // failure leaves, so it never leaks.
    explicit SharedPtr(T* object)
    {
        try {
            imp = new SharedImp{object, 1};
        } catch (...) {
            if (object)
                Deleter()(object);
            throw;
        }
    }

    SharedPtr(const SharedPtr& other) noexcept : imp(other.imp)
    {
        if (imp)
            ++imp->count;
    }

    SharedPtr(SharedPtr&& other) noexcept : imp(std::exchange(other.imp, nullptr)) {}

    // Copy-and-swap: assigning an owner to itself, or to another owner of the
    // same record, leaves the count as it was.
    SharedPtr& operator=(SharedPtr other) noexcept
    {
        std::swap(imp, other.imp);
        return *this;
    }

    ~SharedPtr()
    {
        if (imp)
            drop(imp);
    }

    // The owned object, or null when there is none.
    T* get() const noexcept { return imp ? imp->object : nullptr; }
    T* operator->() const noexcept { return get(); }
    T& operator*() const noexcept { return *get(); }

    // Takes the object out of the shared record: no owner deletes it any more.
    // The caller owns the pointer returned (null when there was no record).
    T* release() noexcept { return imp ? std::exchange(imp->object, nullptr) : nullptr; }

    // Owners sharing the record, 0 when there is none.
    int32_t useCount() const noexcept { return imp ? imp->count : 0; }

private:
    struct SharedImp {
        T* object;
        int32_t count;
    };

    // Kept out of line: once two owners' destructors are inlined side by side,
    // GCC cannot see that only the last one frees the record and warns of a
    // use after free that cannot happen.
    [[gnu::noinline]] static void drop(SharedImp* record) noexcept
    {
        if (--record->count == 0) {
            if (record->object)
                Deleter()(record->object);
            delete record;
        }
    }

    SharedImp* imp = nullptr;
};

} // namespace util
