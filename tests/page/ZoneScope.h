#pragma once

// Sets the TZ variable for one scope and puts the previous value back afterwards.

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

class ZoneScope {
public:
    explicit ZoneScope(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            previous = old;
        setenv("TZ", zone, 1);
        tzset();
    }
    ~ZoneScope()
    {
        if (previous)
            setenv("TZ", previous->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    ZoneScope(const ZoneScope&) = delete;
    ZoneScope& operator=(const ZoneScope&) = delete;

private:
    std::optional<std::string> previous;
};
