/* A minimal C client: loads the library (the attach runs at load), reads and
 * writes devices by operand text and reads the image directly. */
#include <stdio.h>

#include "quorsma/quorsma.h"

int main(void) {
  MH_SHARED_STRUCTURE *image = NULL;
  smGetMemoryPointer(&image);
  if (image == NULL) {
    fprintf(stderr, "the shared section is not mapped\n");
    return 1;
  }
  SetSma("D100", 1234);
  printf("D100 = %d (cell %d)\n", GetSma("D100"), image->D[100]);
  printf("K4M100 = %d\n", GetSma("K4M100"));
  return 0;
}
