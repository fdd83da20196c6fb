// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include <string>

namespace dotdata::window {

/// Why the window cannot be shown, as one line for the terminal, or empty when Qt can
/// start. Without this check a missing or silent display ends the program inside Qt
/// with an abort and a page of plugin diagnostics.
std::string displayProblem(int argc, char **argv);

} // namespace dotdata::window
