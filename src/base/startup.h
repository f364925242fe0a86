#pragma once

// What the program does as it starts, so that the work it needs later does
// not keep a user waiting.

// Large buffers stay in the program's heap when freed. Qt's PDF writer takes
// two 10 MB buffers for every page it compresses, and a card picture is a few
// tens of MB: with the allocator's start-up thresholds each of them is mapped
// fresh from the kernel and faulted in page by page, and the heap is trimmed
// and grown again every sheet, which costs more than the drawing itself. The
// thresholds are fixed at the largest values the allocator's own sliding ones
// reach.
void KeepLargeBuffers();

// Loads Qt's picture readers on a thread of the global pool. They are
// plugins, each loaded the first time any picture is read without its format
// known (the style's own icons are such pictures), and loading all of them
// takes longer than showing a window. Called once the application object
// exists; the application waits for the thread when it ends.
void LoadPictureReadersInBackground();
