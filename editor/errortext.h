// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/error.h"

#include <QString>

namespace dotdata::editor {

/// One of the window's texts, in the language it is shown in.
QString text(const char *source);

/// Why something failed, in the window's language (Japanese), with the system's own
/// wording of its reason on a line of its own where the system gave one.
QString reasonText(const Error &error);

} // namespace dotdata::editor
