// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Named rows for GoogleTest's TEST_P: a row is a struct whose first field is its name.

#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace dotdata {

/// A failing row is shown by its name, not its bytes.
template<typename Row>
requires requires(const Row &row)
{
    row.name;
}
void PrintTo(const Row &row, std::ostream *out)
{
    *out << row.name;
}

/// The row's name as the last part of the test's name.
template<typename Row>
std::string rowName(const testing::TestParamInfo<Row> &info)
{
    return info.param.name;
}

} // namespace dotdata
