#pragma once

namespace replay {
namespace handles {

// Owns one value of a system resource (a handle, a key, a block the system
// allocated) and gives it back when destroyed. What the value is, which values
// mean "nothing" and how it is given back are the traits' business:
//
//   struct traits {
//       using type = ...;                  // the raw value
//       static type empty();               // the value held when nothing is owned
//       static bool is_owned(type value);  // false for every "nothing" value
//       static void close(type value);
//       using error_keeper = ...;          // saves the thread's last error when made,
//                                          // puts it back when destroyed
//   };
//
// Closing never changes the thread's last error, so a caller may close what it
// opened (by leaving the scope, say) and still report why a later call failed.
template <typename Traits>
class unique_any {
public:
    using pointer = typename Traits::type;

    unique_any() noexcept : value_(Traits::empty()) {}
    explicit unique_any(pointer value) noexcept : value_(value) {}
    ~unique_any() { reset(); }

    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return Traits::is_owned(value_); }

    // Hands the value over to the caller, who closes it from now on.
    pointer release() noexcept {
        pointer value = value_;
        value_ = Traits::empty();
        return value;
    }

    // Closes what is held, and holds `value` from now on.
    void reset(pointer value = Traits::empty()) noexcept {
        pointer old = value_;
        value_ = value;
        if (Traits::is_owned(old)) {
            typename Traits::error_keeper kept;
            Traits::close(old);
        }
    }

    // Where a system call stores what it opens (RegOpenKeyEx and the like):
    // whatever was held is closed first.
    pointer* put() noexcept {
        reset();
        return &value_;
    }

private:
    pointer value_;
};

}  // namespace handles
}  // namespace replay
