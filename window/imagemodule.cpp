// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "modules.h"
#include "pictureio.h"

using namespace dotdata::window;

extern "C" Q_DECL_EXPORT const ImageModule *dotdataImageModule()
{
    static const ImageModule module {decodeImage, encodeImage};
    return &module;
}
