#pragma once
// How a link has been faring, as the settings dialog's list shows it.
#include <string>

#include "settings/LinkState.h"

// A link that has failed this many runs in a row is marked in the list; it is still fetched.
constexpr int32_t kFailuresMarked = 10;

// The row's info tip: when the link was last fetched and how that went, and how many runs
// in a row it has failed; "尚未收取" when nothing is known of it.
std::wstring linkHealthText(const LinkState* state);

// Whether the row's type cell carries the failure mark "!".
bool isMarkedFailing(const LinkState* state);
