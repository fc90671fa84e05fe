// Name resolution for systems whose socket library predates getaddrinfo: the
// same contract, IPv4 only, built on gethostbyname and its relatives.
#include <cstdlib>
#include <cstring>
#include <string>

#include "support/net/resolver_functions.h"

namespace replay {
namespace internet {
namespace address {

namespace {

int fail(int code) {
    WSASetLastError(code);
    return code;
}

// Error of the last older resolver call, in getaddrinfo's terms (the numbers agree).
int last_lookup_error() {
    const int code = WSAGetLastError();
    return code != 0 ? code : WSANO_RECOVERY;
}

char* copy_text(const char* text) {
    const std::size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy != nullptr)
        std::memcpy(copy, text, size);
    return copy;
}

void WSAAPI legacy_freeaddrinfo(addrinfo* list) {
    while (list != nullptr) {
        addrinfo* next = list->ai_next;
        std::free(list->ai_canonname);
        std::free(list->ai_addr);
        std::free(list);
        list = next;
    }
}

addrinfo* new_entry(const addrinfo& shape, u_long address_in_network_order,
                    u_short port_in_network_order) {
    addrinfo* entry = static_cast<addrinfo*>(std::calloc(1, sizeof(addrinfo)));
    sockaddr_in* socket_address = static_cast<sockaddr_in*>(std::calloc(1, sizeof(sockaddr_in)));
    if (entry == nullptr || socket_address == nullptr) {
        std::free(entry);
        std::free(socket_address);
        return nullptr;
    }
    socket_address->sin_family = AF_INET;
    socket_address->sin_port = port_in_network_order;
    socket_address->sin_addr.s_addr = address_in_network_order;
    entry->ai_family = AF_INET;
    entry->ai_socktype = shape.ai_socktype;
    entry->ai_protocol = shape.ai_protocol;
    entry->ai_addrlen = sizeof(sockaddr_in);
    entry->ai_addr = reinterpret_cast<sockaddr*>(socket_address);
    return entry;
}

// The service as a port in network byte order: a decimal number or a name from
// the services database.
int service_port(const char* service, const addrinfo& shape, u_short& port) {
    port = 0;
    if (service == nullptr)
        return 0;
    char* end = nullptr;
    const unsigned long number = std::strtoul(service, &end, 10);
    if (*service != '\0' && *end == '\0' && number <= 0xFFFF) {
        port = htons(static_cast<u_short>(number));
        return 0;
    }
    const servent* entry = getservbyname(service, shape.ai_socktype == SOCK_DGRAM ? "udp" : "tcp");
    if (entry == nullptr)
        return fail(WSATYPE_NOT_FOUND);
    port = static_cast<u_short>(entry->s_port);
    return 0;
}

bool is_dotted_literal(const char* node, u_long& address) {
    address = inet_addr(node);
    return address != INADDR_NONE || std::strcmp(node, "255.255.255.255") == 0;
}

int WSAAPI legacy_getaddrinfo(const char* node, const char* service, const addrinfo* hints,
                              addrinfo** result) {
    if (result == nullptr)
        return fail(WSAEINVAL);
    *result = nullptr;
    addrinfo shape = {};
    if (hints != nullptr)
        shape = *hints;
    if (shape.ai_family != AF_UNSPEC && shape.ai_family != AF_INET)
        return fail(WSAEAFNOSUPPORT);
    if (node == nullptr && service == nullptr)
        return fail(WSAHOST_NOT_FOUND);

    u_short port = 0;
    if (int status = service_port(service, shape, port))
        return status;

    if (node == nullptr) {
        const u_long any = htonl((shape.ai_flags & AI_PASSIVE) ? INADDR_ANY : INADDR_LOOPBACK);
        *result = new_entry(shape, any, port);
        return *result != nullptr ? 0 : fail(WSA_NOT_ENOUGH_MEMORY);
    }
    u_long literal = 0;
    if (is_dotted_literal(node, literal)) {
        *result = new_entry(shape, literal, port);
        return *result != nullptr ? 0 : fail(WSA_NOT_ENOUGH_MEMORY);
    }
    if (shape.ai_flags & AI_NUMERICHOST)
        return fail(WSAHOST_NOT_FOUND);

    const hostent* host = gethostbyname(node);
    if (host == nullptr)
        return fail(last_lookup_error());
    if (host->h_addrtype != AF_INET || host->h_length != 4)
        return fail(WSANO_DATA);

    addrinfo** tail = result;
    for (char** entry = host->h_addr_list; *entry != nullptr; ++entry) {
        u_long address = 0;
        std::memcpy(&address, *entry, sizeof address);
        *tail = new_entry(shape, address, port);
        if (*tail == nullptr) {
            legacy_freeaddrinfo(*result);
            *result = nullptr;
            return fail(WSA_NOT_ENOUGH_MEMORY);
        }
        tail = &(*tail)->ai_next;
    }
    if (*result == nullptr)
        return fail(WSANO_DATA);
    if ((shape.ai_flags & AI_CANONNAME) && host->h_name != nullptr) {
        (*result)->ai_canonname = copy_text(host->h_name);
    }
    return 0;
}

int copy_out(const std::string& text, char* buffer, DWORD size) {
    if (text.size() + 1 > size)
        return fail(WSAEFAULT);
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return 0;
}

int host_name_of(const sockaddr_in& address, int flags, std::string& name) {
    if (!(flags & NI_NUMERICHOST)) {
        const hostent* host = gethostbyaddr(reinterpret_cast<const char*>(&address.sin_addr),
                                            sizeof address.sin_addr, AF_INET);
        if (host != nullptr && host->h_name != nullptr) {
            name = host->h_name;
            if (flags & NI_NOFQDN)
                name = name.substr(0, name.find('.'));
            return 0;
        }
        if (flags & NI_NAMEREQD)
            return fail(last_lookup_error());
    }
    name = inet_ntoa(address.sin_addr);
    return 0;
}

std::string service_name_of(const sockaddr_in& address, int flags) {
    if (!(flags & NI_NUMERICSERV)) {
        const servent* entry = getservbyport(address.sin_port, (flags & NI_DGRAM) ? "udp" : "tcp");
        if (entry != nullptr && entry->s_name != nullptr)
            return entry->s_name;
    }
    return std::to_string(ntohs(address.sin_port));
}

int WSAAPI legacy_getnameinfo(const sockaddr* socket_address, int size, char* host, DWORD host_size,
                              char* service, DWORD service_size, int flags) {
    if (socket_address == nullptr || size < static_cast<int>(sizeof(sockaddr_in))) {
        return fail(WSAEFAULT);
    }
    if (socket_address->sa_family != AF_INET)
        return fail(WSAEAFNOSUPPORT);
    const sockaddr_in& address = *reinterpret_cast<const sockaddr_in*>(socket_address);
    if (host != nullptr && host_size > 0) {
        std::string name;
        if (int status = host_name_of(address, flags, name))
            return status;
        if (int status = copy_out(name, host, host_size))
            return status;
    }
    if (service != nullptr && service_size > 0) {
        if (int status = copy_out(service_name_of(address, flags), service, service_size)) {
            return status;
        }
    }
    return 0;
}

}  // namespace

const resolver_functions& legacy_resolver() {
    static const resolver_functions functions = {legacy_getaddrinfo, legacy_getnameinfo,
                                                 legacy_freeaddrinfo};
    return functions;
}

}  // namespace address
}  // namespace internet
}  // namespace replay
