// The stored layout of the wizard window.
#pragma once
#include <span>

#include "platform/controls.h"

extern const plat::FormSpec kForm1;
extern const std::span<const plat::ControlSpec> kForm1Layout;
