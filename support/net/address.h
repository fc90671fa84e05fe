#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace replay {
namespace internet {

namespace transport {
class base;
}

namespace address {

// A socket address in the system's raw layout.
class base {
public:
    virtual ~base() = default;

    // Replaces the address with raw socket-address bytes of the given size.
    virtual void assign(const void* raw_address, std::size_t size) = 0;
    virtual const unsigned char* raw() const = 0;
    virtual unsigned char* raw() = 0;
    virtual std::size_t size() const = 0;
    // The host's name by reverse lookup, or its numeric form when that fails.
    virtual std::string host_text(int flags = 0) const = 0;
    virtual std::uint16_t port() const = 0;
    virtual bool equals(const base& other) const = 0;
    virtual bool differs(const base& other) const = 0;
    virtual bool less(const base& other) const = 0;

    // The address family from the raw layout (2 for IPv4).
    int family() const;

    // Connects the transport's open socket to this address.
    void connect(transport::base& transport) const;

protected:
    base() = default;
    base(const base&) = default;
    base& operator=(const base&) = default;
};

inline bool operator==(const base& a, const base& b) {
    return a.equals(b);
}
inline bool operator!=(const base& a, const base& b) {
    return a.differs(b);
}
inline bool operator<(const base& a, const base& b) {
    return a.less(b);
}

}  // namespace address
}  // namespace internet
}  // namespace replay
