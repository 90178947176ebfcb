// The line's store named by a libpq connection URI
// ("postgresql://gang@db.example/line",
// "postgresql://gang@/line?host=/run/postgresql"), checked before anything
// connects: the password never travels in a URL, so one that holds a
// password is refused (and never repeated in the message).
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace gang::store {

struct TStore_Url {
    std::string Host; // a name, an address or a socket folder (absolute path)
    int Port = -1;    // -1: libpq's default
    std::string User;
    std::string Database;
    // The URI's query parameters other than host and port, as libpq takes
    // them (sslmode=require, connect_timeout=5, ...).
    std::vector<std::pair<std::string, std::string>> Options;
};

// False with the user's error text when the text is no postgresql:// URI,
// names no database or holds a password.
bool Parse_Store_Url(const std::string& text, TStore_Url& url, std::string& error);

} // namespace gang::store
