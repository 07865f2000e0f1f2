#pragma once
// The states of a large subscription list, for measuring the state file: every link fetched
// ten minutes ago with an ETag, its keys from five documents of 20 items each.
#include <algorithm>
#include <cstdio>

#include "settings/LinkState.h"

inline LinkStates sampleLinkStates(int links, int keysPerLink) {
    constexpr int64_t now = 1700000000;
    uint64_t random = 0x9E3779B97F4A7C15;
    LinkStates states;
    for (int link = 0; link < links; ++link) {
        char url[96];
        std::snprintf(url, sizeof url, "https://www.example-blog-%05d.com/feeds/posts/default?alt=rss", link);
        char etag[32];
        std::snprintf(etag, sizeof etag, "\"5f3a%04x-2b4d6e8f0a1c\"", static_cast<unsigned>(link));
        LinkState& state = states[url];
        state.etag = etag;
        state.lastResult = {now - 600, FetchOutcome::Read, 3, ""};
        state.documentTimes[0] = now - 600;
        state.documentTimes[1] = now - 4200;
        for (int key = 0; key < keysPerLink; ++key) {
            random = random * 6364136223846793005 + 1442695040888963407;
            state.seen.push_back({random ^ (random >> 29), now - 600 - 3600 * int64_t(key / 20)});
        }
        std::sort(state.seen.begin(), state.seen.end(),
                  [](const SeenItem& a, const SeenItem& b) { return a.key < b.key; });
    }
    return states;
}
