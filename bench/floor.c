/* floor FILE...: the least a tool that identifies files must do: open each
 * file, read its first 16 KiB with one pread, close it and print one line.
 * The report tool is measured against it. */
#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

int main(int argc, char** argv) {
  static unsigned char head[16384];
  int status = 0;
  for (int i = 1; i < argc; ++i) {
    const int fd = open(argv[i], O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
      perror(argv[i]);
      status = 1;
      continue;
    }
    const ssize_t got = pread(fd, head, sizeof head, 0);
    close(fd);
    if (got < 0) {
      perror(argv[i]);
      status = 1;
      continue;
    }
    unsigned sum = 0;
    for (ssize_t k = 0; k < got; k += 256) sum += head[k];
    printf("%s %zd %u\n", argv[i], got, sum);
  }
  return status;
}
