// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "commandline.h"

#include <QString>

namespace dotdata::program {

/// Runs a command other than the editor: help, the version and DATA text go to the
/// standard output, a failure to the standard error as one line naming the file.
/// Returns the exit status: 0 on success, 1 on a failure.
int runCommand(const Command &command, const QString &helpText);

} // namespace dotdata::program
