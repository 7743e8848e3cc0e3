// A DLL planted where a program must never take one from: loaded, it leaves a file named after
// itself ("planted-psapi.dll.txt") in the temporary folder and refuses to stay.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t module[MAX_PATH] = {}, marker[MAX_PATH * 2] = {};
  GetModuleFileNameW(self, module, MAX_PATH);
  const wchar_t* name = module;
  for (const wchar_t* c = module; *c; ++c)
    if (*c == L'\\' || *c == L'/') name = c + 1;
  const DWORD n = GetTempPathW(MAX_PATH, marker);
  wsprintfW(marker + n, L"planted-%s.txt", name);
  CloseHandle(CreateFileW(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  return FALSE;
}
