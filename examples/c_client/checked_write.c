/* A client of the client library: a write checked against a permission, a
 * value read and formatted, a comment given in UTF-8.  Run it on a section of
 * its own: QUORSMA_SECTION=example ./checked_write */
#include <stdio.h>
#include <string.h>

#include "quorsma/client.h"

int main(void) {
  MH_SHARED_STRUCTURE *image = NULL;
  smGetMemoryPointer(&image);
  if (image == NULL) {
    fprintf(stderr, "the section could not be mapped\n");
    return 1;
  }
  qsc_messages_capture(NULL, NULL);

  const char *allowed_text = "D100..D199,M0..M99,D300.3";
  qsc_permission *allowed = NULL;
  char why[256];
  if (qsc_permission_parse(allowed_text, strlen(allowed_text), &allowed, why, sizeof why) != QSC_OK) {
    fprintf(stderr, "permission: %s\n", why);
    return 2;
  }

  const char *writes[] = {"D105", "D300.3", "D300", "D300.4"};
  for (size_t i = 0; i < sizeof writes / sizeof writes[0]; ++i) {
    const int32_t status = qsc_write(image, allowed, writes[i], strlen(writes[i]), QSC_ROLE_WRITE, 1, why, sizeof why);
    printf("%-7s %s\n", writes[i], status == QSC_OK ? "written" : why);
  }

  qsc_value value;
  if (qsc_read(image, "D105", 4, QSC_READ_IMAGE, &value, why, sizeof why) == QSC_OK) {
    char text[64];
    qsc_format_value(&value, QSC_FORMAT_HEX, text, sizeof text);
    printf("D105 = %s\n", text);
  }
  qsc_permission_free(allowed);
  printf("client library %s\n", qsc_version());
  return 0;
}
