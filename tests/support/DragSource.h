#pragma once
// Drags data onto a window through OLE's own drag loop, as a user dragging a link out of a
// browser or a file out of the shell would: the cursor goes to the window, the drop follows.
#include <windows.h>
#include <ole2.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "common/Handles.h"

class DialogDriver;

struct DragData {
    std::string ansiUrl;              // offered as "UniformResourceLocator" when not empty
    std::wstring wideUrl;             // offered as "UniformResourceLocatorW" when not empty
    std::vector<std::wstring> files;  // offered as a wide CF_HDROP list when not empty
};

// Runs DoDragDrop on the calling thread, which must have OLE initialised, with the cursor on
// the centre of `target`. The effect the target chose; DROPEFFECT_NONE when it refused.
DWORD dragAndDrop(HWND target, const DragData& data);

// A drag run on a dialog's thread. A drop that opens a dialog or a message box finishes once
// the script has answered it.
struct DragOutcome {
    ScopedHandle done{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    std::atomic<DWORD> effect{DROPEFFECT_NONE};

    // The effect, once the drag has ended.
    DWORD finish() const {
        EXPECT_EQ(WaitForSingleObject(done.get(), 15000), static_cast<DWORD>(WAIT_OBJECT_0));
        return effect;
    }
};

std::shared_ptr<DragOutcome> startDrag(DialogDriver& driver, HWND target, const DragData& data);
