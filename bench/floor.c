/* The floor bench/run sets under the game's time on one long line: the same
 * stdio reads as the game's line reader, into memory allocated once for the
 * whole line, and one lower-casing pass over it. Reads standard input, which
 * must be a file (its size sizes the memory), up to its first line feed;
 * writes nothing but the number of letters it lower-cased, to standard output,
 * so that the pass is not optimised away and its work can be checked. */
#define _GNU_SOURCE
#include <locale.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <wchar.h>
#include <wctype.h>

/* The reader's chunks: the first of 80 bytes, every further one of 128 bytes
 * starting on the NUL that fgets wrote at the end of the one before. */
enum { first_chunk = 80, further_chunk = 128 };
/* Huge pages fill whole aligned extents of this size. */
static const size_t huge_page = (size_t)2 << 20;
/* Two-byte UTF-8, U+0080 to U+07FF, is a lead byte 0xC2 to 0xDF and a
 * continuation byte 0x80 to 0xBF. lower[lead - 0xC0][continuation] has the
 * UTF-8 of the character's lower case where that is two bytes as well, else
 * of the character itself, and whether the two differ; zero bytes where the
 * pair is not a character. Looked up by both bytes, so that the one look-up
 * also checks them. */
struct lower {
  unsigned char utf8[2];
  unsigned char capital;
  unsigned char unused; /* four bytes: an entry is one aligned load */
};
static struct lower lower[32][256];

static void make_table(void) {
  for (wint_t c = 0x80; c < 0x800; ++c) {
    const wint_t mapped = towlower(c);
    const wint_t l = mapped >= 0x80 && mapped < 0x800 ? mapped : c;
    struct lower* const entry = &lower[c >> 6 & 0x1F][0x80 | (c & 0x3F)];
    entry->utf8[0] = (unsigned char)(0xC0 | l >> 6);
    entry->utf8[1] = (unsigned char)(0x80 | (l & 0x3F));
    entry->capital = l != c;
  }
}

/* CAPACITY bytes of fresh memory starting on a huge page's boundary and
 * advised to be backed by huge pages; NULL when there is none. */
static char* fresh(size_t capacity) {
  const size_t length = capacity + huge_page;
  char* const area = mmap(NULL, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED)
    return NULL;
  char* const aligned = area + (huge_page - (uintptr_t)area % huge_page) % huge_page;
#ifdef MADV_HUGEPAGE
  /* Advice only: without huge pages the line is read all the same. */
  (void)madvise(aligned, capacity, MADV_HUGEPAGE);
#endif
  return aligned;
}

/* Reads the first line of STREAM into TEXT of CAPACITY bytes as the game's
 * reader does: a chunk is filled with line feeds, read into with fgets and
 * searched for the first line feed, which is either the line's own (followed
 * by fgets's NUL) or a fill byte. Returns the line's length without its line
 * feed, or -1 at the end of input or when the line outgrows TEXT. */
static long read_line(FILE* stream, char* text, size_t capacity) {
  size_t position = 0;
  size_t size = first_chunk;
  for (;;) {
    if (position + size > capacity)
      return -1;
    char* const chunk = text + position;
    /* The C library's memset, as the game's: bench/run builds this file with
     * -fno-builtin-memset, or the compiler, which can bound the size here,
     * would fill each chunk with a slower instruction of its own. */
    memset(chunk, '\n', size);
    if (fgets(chunk, (int)size, stream) == NULL)
      return position > 0 ? (long)position : -1;
    const char* const found = memchr(chunk, '\n', size);
    if (found == NULL) {
      position += size - 1;
      size = further_chunk;
      continue;
    }
    const size_t index = (size_t)(found - chunk);
    const int own = index + 1 < size && chunk[index + 1] == '\0';
    return (long)(position + index - (own ? 0 : 1));
  }
}

/* Lower-cases the ASCII letters and the two-byte letters of TEXT in place;
 * returns how many letters changed. A block of ASCII is lower-cased in loops
 * of a fixed length without branches, which the compiler turns into vector
 * instructions; any other block by runs of two-byte characters and single
 * bytes. */
static size_t lower_case(char* text, size_t size) {
  enum { block = 32 };
  size_t changed = 0;
  size_t i = 0;
  while (i < size) {
    unsigned char* const b = (unsigned char*)text + i;
    unsigned char high = 0x80; /* what is left of the text is less than a block */
    if (size - i >= block) {
      high = 0;
      for (int k = 0; k < block; ++k)
        high |= b[k];
    }
    if ((high & 0x80) == 0) {
      unsigned char capitals = 0;
      for (int k = 0; k < block; ++k) {
        const unsigned char capital = (unsigned char)(b[k] - 'A') < 26;
        b[k] = (unsigned char)(b[k] + capital * ('a' - 'A'));
        capitals += capital;
      }
      changed += capitals;
      i += block;
      continue;
    }
    /* A run of two-byte characters in a loop of its own, then the byte that
     * stopped it, up to the end of the block; a run may go past the block. */
    const size_t end = size - i >= block ? i + block : size;
    while (i < end) {
      for (; size - i >= 2; i += 2) {
        const unsigned row = (unsigned char)text[i] - 0xC0u;
        if (row >= 32)
          break;
        const struct lower* const entry = &lower[row][(unsigned char)text[i + 1]];
        if (entry->utf8[0] == 0)
          break;
        memcpy(text + i, entry->utf8, 2);
        changed += entry->capital;
      }
      if (i >= end)
        break;
      const unsigned char byte = (unsigned char)text[i];
      const int capital = byte >= 'A' && byte <= 'Z';
      text[i] = (char)(capital ? byte + ('a' - 'A') : byte);
      changed += (size_t)capital;
      ++i;
    }
  }
  return changed;
}

int main(void) {
  struct stat file;
  if (setlocale(LC_CTYPE, "C.UTF-8") == NULL || fstat(fileno(stdin), &file) != 0) {
    (void)fputs("floor: no C.UTF-8 locale, or standard input is not a file\n", stderr);
    return 1;
  }
  make_table();
  const size_t capacity = (size_t)file.st_size + first_chunk + further_chunk;
  char* const text = fresh(capacity);
  const long size = text == NULL ? -1 : read_line(stdin, text, capacity);
  if (size < 0) {
    (void)fputs("floor: no line, or no memory for it\n", stderr);
    return 1;
  }
  return printf("%zu\n", lower_case(text, (size_t)size)) < 0;
}
