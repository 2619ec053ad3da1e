/* A program the finalization tests start: final_cmd FILE CODE [MS]. It
   waits MS milliseconds, writes how it was started (start-up flags, show
   command, its whole command line) to FILE and exits with CODE. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv) {
  STARTUPINFOA si;
  FILE *f;
  GetStartupInfoA(&si);
  if (argc < 3)
    return 1;
  if (argc > 3)
    Sleep((DWORD)atoi(argv[3]));
  f = fopen(argv[1], "wb");
  if (!f)
    return 2;
  fprintf(f, "flags=%lu show=%u line=%s", (unsigned long)si.dwFlags, (unsigned)si.wShowWindow,
          GetCommandLineA());
  fclose(f);
  return atoi(argv[2]);
}
