// SPDX-License-Identifier: MIT
#include "ClockFixture.h"

#include <fstream>
#include <iterator>

namespace orbelle::testing {

std::string DesignLines::bytes() const
{
    std::string text;
    auto line = [&](const std::string &l) { text += l + "\r\n"; };
    for (const std::string *l : {&size, &picture, &offset, &shape, &hands, &shown, &colours, &lengths, &count})
        line(*l);
    for (const std::string &l : vertices)
        line(l);
    for (const std::string &l : handles)
        line(l);
    return text;
}

form::LocalTime at(int hour, int minute, int second, int month, int day)
{
    form::LocalTime t;
    t.year = 2024;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    return t;
}

void ClockTest::writeFile(const std::string &name, const std::string &bytes) const
{
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out << bytes;
    ASSERT_TRUE(out.good()) << name;
}

std::optional<std::string> ClockTest::readFile(const std::string &name) const
{
    std::ifstream in(folder / name, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

} // namespace orbelle::testing
