#include "record/RecordUrl.h"

#include <filesystem>
#include <optional>
#include <string_view>

namespace km640 {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%2F" and friends; nullopt for a broken escape.
std::optional<std::string> percentDecoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size()) return std::nullopt;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return out;
}

std::optional<int> portNumber(const std::string& text) {
    if (text.empty() || text.size() > 5) return std::nullopt;
    int port = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) return std::nullopt;
    return port;
}

struct Splitter {
    std::string& error;
    // Decodes one part of the URL, naming it in the error.
    bool decode(const std::string& raw, const char* what, std::string& into) {
        const auto decoded = percentDecoded(raw);
        if (!decoded) {
            error = std::string("broken %-escape in the ") + what + " of the record URL";
            return false;
        }
        into = *decoded;
        return true;
    }
};

bool parseHostPort(const std::string& hostPort, RecordLocation& loc, Splitter& split) {
    std::string host = hostPort;
    std::string port;
    if (host.starts_with('[')) {  // [::1]:5432
        const auto close = host.find(']');
        if (close == std::string::npos) {
            split.error = "an unclosed '[' in the host of the record URL";
            return false;
        }
        if (close + 1 < host.size()) {
            if (host[close + 1] != ':') {
                split.error = "the record URL's host is not followed by ':port'";
                return false;
            }
            port = host.substr(close + 2);
            if (port.empty()) {
                split.error = "the record URL has ':' but no port number";
                return false;
            }
        }
        host = host.substr(1, close - 1);
    } else if (const auto colon = host.rfind(':'); colon != std::string::npos) {
        port = host.substr(colon + 1);
        host.resize(colon);
        if (port.empty()) {
            split.error = "the record URL has ':' but no port number";
            return false;
        }
    }
    if (!split.decode(host, "host", loc.host)) return false;
    if (!port.empty()) {
        const auto number = portNumber(port);
        if (!number) {
            // Not repeated: with the '@' forgotten, it may be a password.
            split.error = "the port in the record URL is not a port number (1 to 65535)";
            return false;
        }
        loc.port = *number;
    }
    return true;
}

bool applyParameter(const std::string& key, const std::string& value, RecordLocation& loc, std::string& error) {
    if (key == "host") {
        loc.host = value;
    } else if (key == "port") {
        const auto number = portNumber(value);
        if (!number) {
            error = "the port parameter of the record URL is not a port number (1 to 65535)";
            return false;
        }
        loc.port = *number;
    } else if (key == "user") {
        loc.user = value;
    } else if (key == "password") {
        loc.password = value;
    } else if (key == "dbname") {
        loc.database = value;
    } else {
        // The database client takes its options as "key=value" pairs
        // separated by ';', so neither may hold one.
        if (key.empty() || key.find_first_of(";= ") != std::string::npos || value.find(';') != std::string::npos) {
            error = "the record URL parameter '" + key + "' cannot be passed on";
            return false;
        }
        loc.options.emplace_back(key, value);
    }
    return true;
}

RecordUrlParse parsePostgres(const std::string& rest) {
    RecordUrlParse out;
    RecordLocation& loc = out.location;
    loc.kind = RecordLocation::Kind::Postgres;
    Splitter split{out.error};

    // The user name and password end at the first '/' or '?'. An '@' after
    // one of them means a password (or user name) holding '/', '?' or '@'
    // as it is: taken apart there, part of the password would become a
    // host, a port or a database name, and be printed. Nothing of the text
    // is repeated in the message.
    if (const auto end = rest.find_first_of("/?"); end != std::string::npos && rest.find('@', end) != std::string::npos) {
        out.error = "the record URL holds an '@' after its host: write '/', '?' and '@' in the user name or "
                    "password as %2F, %3F and %40 (and '@' in the database name or parameters as %40)";
        return out;
    }

    std::string main = rest;
    std::string query;
    if (const auto q = main.find('?'); q != std::string::npos) {
        query = main.substr(q + 1);
        main.resize(q);
    }
    std::string authority = main;
    if (const auto slash = main.find('/'); slash != std::string::npos) {
        authority = main.substr(0, slash);
        if (!split.decode(main.substr(slash + 1), "database name", loc.database)) return out;
    }
    if (const auto at = authority.rfind('@'); at != std::string::npos) {
        const std::string userInfo = authority.substr(0, at);
        authority = authority.substr(at + 1);
        const auto colon = userInfo.find(':');
        if (!split.decode(userInfo.substr(0, colon), "user name", loc.user)) return out;
        if (colon != std::string::npos && !split.decode(userInfo.substr(colon + 1), "password", loc.password))
            return out;
    }
    if (!authority.empty() && !parseHostPort(authority, loc, split)) return out;

    std::size_t start = 0;
    while (start < query.size()) {
        auto end = query.find('&', start);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(start, end - start);
        start = end + 1;
        if (pair.empty()) continue;
        const auto eq = pair.find('=');
        if (eq == std::string::npos) {
            out.error = "the record URL parameter '" + pair + "' has no value";
            return out;
        }
        std::string key, value;
        if (!split.decode(pair.substr(0, eq), "parameters", key) ||
            !split.decode(pair.substr(eq + 1), "parameters", value))
            return out;
        if (!applyParameter(key, value, loc, out.error)) return out;
    }
    return out;
}

std::string lowerCase(const std::string& text) {
    std::string lower;
    for (const char c : text) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower;
}

// "postgres" or "postgresql", in any case, followed by ':' or '/'.
bool looksLikePostgres(const std::string& text) {
    const std::string lower = lowerCase(text.substr(0, 11));
    for (const std::string_view scheme : {"postgresql", "postgres"})
        if (lower.starts_with(scheme) && lower.size() > scheme.size() &&
            (lower[scheme.size()] == ':' || lower[scheme.size()] == '/'))
            return true;
    return false;
}

}  // namespace

RecordUrlParse ParseRecordUrl(const std::string& text) {
    RecordUrlParse out;
    if (text.empty()) {
        out.error = "no production record given";
        return out;
    }
    for (const std::string_view scheme : {"postgresql://", "postgres://"})
        if (lowerCase(text.substr(0, scheme.size())) == scheme) return parsePostgres(text.substr(scheme.size()));
    // A PostgreSQL URL with a typo in its scheme ("postgresql:/", "postgres//")
    // would otherwise name a SQLite file of that name: the station would
    // record into a file of its own, out of the shared repeat check.
    if (looksLikePostgres(text)) {
        out.error = "the record URL does not start with postgresql:// or postgres://; a SQLite file whose "
                    "name starts with 'postgres' is given as sqlite:NAME or ./NAME";
        return out;
    }
    if (text.starts_with("sqlite:")) {
        std::string path = text.substr(7);
        if (path.starts_with("//")) path = path.substr(2);
        if (path.empty()) out.error = "sqlite: needs a file name";
        out.location.sqliteFile = path;
        return out;
    }
    if (const auto sep = text.find("://"); sep != std::string::npos) {
        // The scheme is named only when it is one: a user name and password
        // in front of a misplaced "://" are not repeated.
        const std::string scheme = text.substr(0, sep);
        const bool named = !scheme.empty() && scheme.size() <= 20 &&
                           scheme.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789+.-") ==
                               std::string::npos;
        out.error = "unknown kind of production record" + (named ? " '" + scheme + "'" : std::string()) +
                    ": use postgresql://... or a SQLite file";
        return out;
    }
    out.location.sqliteFile = text;
    return out;
}

std::string RecordDisplayName(const RecordLocation& location) {
    if (location.kind == RecordLocation::Kind::Sqlite) return location.sqliteFile;
    std::string text = "postgresql://";
    if (!location.user.empty()) text += location.user + (location.password.empty() ? "@" : ":***@");
    if (!location.host.empty() && location.host.front() != '/') text += location.host;
    if (location.port != 0) text += ":" + std::to_string(location.port);
    text += "/" + location.database;
    if (!location.host.empty() && location.host.front() == '/') text += "?host=" + location.host;
    return text;
}

RecordChoice ChooseRecord(const std::string& given, const char* environment, const std::string& logFolder,
                          const std::filesystem::path& dataFolder) {
    namespace fs = std::filesystem;
    const auto parsed = [](const std::string& text) {
        RecordUrlParse parse = ParseRecordUrl(text);
        return RecordChoice{std::move(parse.location), std::move(parse.error), {}, false};
    };
    if (!given.empty()) return parsed(given);
    if (environment != nullptr && *environment != '\0') return parsed(environment);
    std::error_code error;
    fs::path earlier = fs::path(logFolder.empty() ? "." : logFolder) / kDefaultRecordFile;
    if (const fs::path absolute = fs::absolute(earlier, error); !error) earlier = absolute.lexically_normal();
    RecordChoice choice;
    if (dataFolder.empty()) {
        choice.location.sqliteFile = earlier.string();
        return choice;
    }
    const fs::path shared = PcRecordFile(dataFolder);
    // A folder that cannot be looked into holds no record of ours to find.
    const bool earlierThere = fs::exists(earlier, error) && !error;
    if (earlierThere && !fs::equivalent(earlier, shared, error)) {
        choice.location.sqliteFile = earlier.string();
        const bool sharedThere = fs::exists(shared, error) && !error;
        choice.note = "using the record at " + earlier.string() + " (the earlier place); " +
                      (sharedThere ? "the record at " + shared.string() +
                                         ", which the window and km640-cli share, is not used while this one is there"
                                   : "to share it with the window and km640-cli on this PC, move it to " +
                                         shared.string() + " while no station uses it");
        return choice;
    }
    choice.location.sqliteFile = shared.string();
    choice.inDataFolder = true;
    return choice;
}

std::filesystem::path PcRecordFile(const std::filesystem::path& dataFolder) { return dataFolder / kDefaultRecordFile; }

std::string MakeRecordFolder(const RecordChoice& choice) {
    if (!choice.inDataFolder) return {};
    const std::filesystem::path folder = std::filesystem::path(choice.location.sqliteFile).parent_path();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return "the folder " + folder.string() + " for the production record cannot be made: " + error.message();
    return {};
}

}  // namespace km640
