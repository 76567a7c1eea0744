#pragma once

#include <string>

#include <QString>

#include "share/ShareSink.h"

// What the window says, once, when its readings cannot be served as set.
QString ShareNoticeText(ShareNotice notice, const std::string& detail);
