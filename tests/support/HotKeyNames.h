#pragma once

#include "platform/GlobalHotKey.h"

#include <QtTest>

namespace platform {
// Names instead of numbers when a comparison of hot-key results fails.
inline char* toString(const HotKeyStatus& status)
{
    switch (status) {
    case HotKeyStatus::Registered:
        return qstrdup("Registered");
    case HotKeyStatus::Taken:
        return qstrdup("Taken");
    case HotKeyStatus::Unsupported:
        return qstrdup("Unsupported");
    }
    return qstrdup("?");
}
} // namespace platform
