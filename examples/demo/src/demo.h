/* Helpers shared by the Orchard Notes programs: the program's own folder
   and whole-file reading and writing. Only calls that Windows 95 and
   NT 4.0 have. */
#ifndef ORCHARD_DEMO_H
#define ORCHARD_DEMO_H

#include <string.h>
#include <windows.h>

/* The settings file; a bare name puts it in the Windows folder, where the
   setup merges it. */
#define ORCHARD_INI "Orchard.ini"

/* Path of Name beside the program. FALSE when it does not fit. */
static __inline BOOL BesideProgram(const char *Name, char *Out, DWORD Size) {
  DWORD Len = GetModuleFileNameA(NULL, Out, Size);
  char *Slash;
  if (Len == 0 || Len >= Size)
    return FALSE;
  Slash = strrchr(Out, '\\');
  Len = Slash ? (DWORD)(Slash + 1 - Out) : 0;
  if (Len + strlen(Name) + 1 > Size)
    return FALSE;
  strcpy(Out + Len, Name);
  return TRUE;
}

/* The whole file as a zero-ended text from HeapAlloc; NULL when it cannot
   be read. Files above 1 MB are refused: these are notes. */
static __inline char *ReadWholeFile(const char *Path) {
  HANDLE F = CreateFileA(Path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  DWORD Size, Got = 0;
  char *Text = NULL;
  if (F == INVALID_HANDLE_VALUE)
    return NULL;
  Size = GetFileSize(F, NULL);
  if (Size != 0xFFFFFFFF && Size <= 1024 * 1024)
    Text = (char *)HeapAlloc(GetProcessHeap(), 0, Size + 1);
  if (Text && (!ReadFile(F, Text, Size, &Got, NULL) || Got != Size)) {
    HeapFree(GetProcessHeap(), 0, Text);
    Text = NULL;
  }
  if (Text)
    Text[Size] = 0;
  CloseHandle(F);
  return Text;
}

/* Writes through a file beside the target and then replaces it, so a
   failed save keeps the old notes. */
static __inline BOOL WriteWholeFile(const char *Path, const char *Text, DWORD Size) {
  char Temp[MAX_PATH + 8];
  HANDLE F;
  DWORD Put = 0;
  BOOL Ok;
  if (strlen(Path) + 5 > sizeof Temp)
    return FALSE;
  strcpy(Temp, Path);
  strcat(Temp, ".new");
  F = CreateFileA(Temp, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (F == INVALID_HANDLE_VALUE)
    return FALSE;
  Ok = WriteFile(F, Text, Size, &Put, NULL) && Put == Size;
  Ok = CloseHandle(F) && Ok;
  if (Ok) {
    DeleteFileA(Path); /* MoveFileEx is not in Windows 95 */
    Ok = MoveFileA(Temp, Path);
  }
  if (!Ok)
    DeleteFileA(Temp);
  return Ok;
}

#endif
