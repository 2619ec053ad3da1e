/* Holds the file named by the first argument open without sharing, as a
   program that uses it would, until it is ended. Prints "locked" once the
   file is held; exits 1 when it cannot open it. */
#include <stdio.h>
#include <windows.h>

int main(int argc, char **argv) {
  HANDLE File;
  if (argc < 2)
    return 2;
  File = CreateFileA(argv[1], GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
  if (File == INVALID_HANDLE_VALUE)
    return 1;
  printf("locked\n");
  fflush(stdout);
  for (;;)
    Sleep(1000);
}
