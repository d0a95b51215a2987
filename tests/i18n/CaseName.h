#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

// A test name from the Name of a table row: letters and digits kept, everything else "_".
template <class TCase> std::string CaseName(const ::testing::TestParamInfo<TCase> &AInfo)
{
    std::string name = AInfo.param.Name;
    for (char &c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    }
    return name;
}
