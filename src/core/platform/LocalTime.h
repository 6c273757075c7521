#pragma once
// Local time as the user's locale writes it.
#include <ctime>
#include <string>

namespace kvt::platform {

// The time of day of `when` in the local time zone as the locale's time format writes it
// (LC_TIME here), with a space on each side, in GBK. Where the locale's words cannot be held
// in GBK: the 24-hour " HH:MM:SS ". Empty when the time cannot be converted at all.
std::string localTimeOfDayGbk(std::time_t when);

}  // namespace kvt::platform
