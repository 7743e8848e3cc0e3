#pragma once
// Identifiers of the program's resources, shared by korvane.rc and the code.
#define IDI_KORVANE 1
