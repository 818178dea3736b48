// Marks audio-thread entry points that may not block: with clang they are checked (the
// RealtimeSanitizer stage, and the compiler's function effect analysis).
#ifndef TAMBREL_NONBLOCKING_H
#define TAMBREL_NONBLOCKING_H

#if defined(__clang__) && __clang_major__ >= 20
#define TAMBREL_NONBLOCKING [[clang::nonblocking]]
#else
#define TAMBREL_NONBLOCKING
#endif

#endif
