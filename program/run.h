// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "commandline.h"

#include <QString>

namespace dotdata::program {

/// Puts /dev/null where the standard input, output or error is closed, before anything
/// else opens a file: the file that took its number would be read or written in its stead
/// (Qt's first file is an eventfd). Called first thing.
void holdClosedStandardStreams();

/// Runs a command other than the editor: help, the version and DATA text go to the
/// standard output, a failure to the standard error as one line naming the file.
/// Returns the exit status: 0 on success, 1 on a failure.
int runCommand(const Command &command, const QString &helpText);

} // namespace dotdata::program
