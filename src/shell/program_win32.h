#pragma once
// The program's entry: one copy at a time, the main window, the message loop.
namespace kvn {

int KorvaneMain(int showCommand);

}  // namespace kvn
