#pragma once

#include <string>

#include "link/port/OpenFailure.h"
#include "system/DeviceFacts.h"

// One line telling the user which device failed and what to do about it, in
// the installed translation's language (Japanese without one); empty for
// OpenRefusal::None.
std::string OpenFailureText(const OpenFailure& failure, const DeviceFacts& device);

// OpenFailureText with the facts read from the device now.
std::string DescribeOpenFailure(const OpenFailure& failure);

// "crw-rw----" as ls -l shows it.
std::string ModeText(const DeviceFacts& device);
