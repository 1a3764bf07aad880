/*
 * QuorSMA public interface.
 *
 * One named shared-memory section holds the soft-PLC device memory of the
 * whole machine (MH_SHARED_STRUCTURE below).  Every program that loads the
 * library maps it at its own address; the layout is an interchange format:
 * every field keeps its byte offset, checked at compile time at the end of
 * this header.
 *
 * Usable from C (C11 or later) and C++.  All texts are 8-bit, code page 949.
 *
 * Loading the library attaches the process: it maps the section (the first
 * process on the machine creates it zero-filled), reads the configuration
 * file into the configuration texts of the image, loads the device comments
 * from the comment file (and writes its listing), loads the retentive data
 * registers when D1000..D1099 add up to 0, and applies the logging
 * exclusions.  A configuration key that
 * reads empty shows the message box "<KEY> is NULL!!"; missing files give
 * trace lines.  When the section cannot be mapped the library still loads.
 *
 * How failures are reported (no export throws):
 *  - by the result: 0, null or QSMA_BAD_OPERAND (-999), as each export says;
 *  - by a message box, for what a user must see (bad operands of
 *    instructions, missing configuration values): on Windows a modal box that
 *    holds the calling thread until it is closed, on Linux one line on
 *    standard error; the operation then goes on as its contract says;
 *  - by a trace line, for developers (missing files, mapping failures): the
 *    debugger output on Windows; on Linux standard error, only with
 *    QUORSMA_TRACE=stderr.
 * smSetMessageSink and smSetTraceSink receive both kinds of text instead.
 *
 * While the image is not mapped in this process (the section could not be
 * created, or after smDelateSharedMemory) every export that needs it does
 * nothing and returns 0, null, or -999 for GetIndex.
 *
 * Operand texts name a device as a ladder program writes it, in upper case:
 * a device and its number ("D100", "X1F", "SM400"; X, Y, B and W numbers are
 * hexadecimal, all others decimal), a bit of a D or W register ("D100.3",
 * bits 0 to 15), an index-register suffix ("M10Z2": M10 plus the value of Z2),
 * a decimal constant ("K50") or a digit read ("K4M100": 4 groups of 4 relays
 * from M100 as one number, M100 the lowest bit).  A device number outside its
 * area names no cell: it reads 0 and is not written, silently.
 *
 * Any process may read and write any field at any time; the last writer wins.
 * The ladder evaluation state is one set for the whole machine: one evaluator
 * at a time runs ladder instructions.
 */
#ifndef QUORSMA_QUORSMA_H_
#define QUORSMA_QUORSMA_H_

#include <stddef.h>
#include <stdint.h>

/* The library's version (the build checks that it agrees with the project's).
 * The major number is the Linux SONAME: libQuorSMA.so.1. */
#define QUORSMA_VERSION_MAJOR 1
#define QUORSMA_VERSION_MINOR 0
#define QUORSMA_VERSION_PATCH 0
#define QUORSMA_VERSION_STRING "1.0.0"

/* Calling conventions: the standard Windows convention for every export
 * (undecorated names come from the module definition file), the C convention
 * for the two comment editors and for the sink callbacks. */
#if defined(_WIN32)
#define QSMA_API __stdcall
#define QSMA_CDECL __cdecl
#if defined(QUORSMA_BUILDING_LIBRARY)
#define QSMA_EXPORT
#else
#define QSMA_EXPORT __declspec(dllimport)
#endif
#else
#define QSMA_API
#define QSMA_CDECL
#define QSMA_EXPORT __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Size of the shared section in bytes (0x21DD1F70). */
#define QSMA_SECTION_SIZE 568139632u
/* Default section name; the environment variable QUORSMA_SECTION replaces it. */
#define QSMA_SECTION_NAME "__QR_SMA__"
/* Failure value of operand parsing (GetIndex, GetSma). */
#define QSMA_BAD_OPERAND (-999)

/* Element counts of the device areas: device numbers run from 0 to count - 1. */
#define QSMA_AREA_SMALL 65535
#define QSMA_AREA_LARGE 131071
/* Bytes of one comment entry: at most 255 characters and a NUL. */
#define QSMA_COMMENT_BYTES 256

/* Linux: a collector may sleep until a value-change line is pending instead
 * of polling LogLinePending.  The library's data of a section is the POSIX
 * shared-memory object named "/", then the section name with every '/'
 * replaced by '_', then QSMA_LIBRARY_DATA_SUFFIX; it exists while any process
 * has the library loaded.  Its 32-bit word at byte
 * QSMA_COLLECTOR_WAITERS_OFFSET counts the collectors asleep.  A collector
 * that finds no line pending
 *   1. adds 1 to the word (a sequentially consistent atomic add),
 *   2. while it still reads LogLinePending as 0, sleeps in
 *      futex(&LogLinePending, FUTEX_WAIT, 0, timeout) (the shared, not the
 *      private, form: the flag lies in a mapping of several processes),
 *   3. subtracts 1 from the word.
 * After setting LogLinePending to 1 the library reads the word and, when it
 * is not 0, wakes every sleeper with FUTEX_WAKE; while it is 0 producers pay
 * nothing more.  A collector that dies asleep leaves the word one too high,
 * which costs each later line one wake-up call and loses nothing.  Windows
 * collectors poll. */
#define QSMA_LIBRARY_DATA_SUFFIX ".SHARDATA"
#define QSMA_COLLECTOR_WAITERS_OFFSET 8

/* Window handles cross the interface as 32-bit values. */
typedef int32_t QSMA_HWND;

/* The shared image.  Device areas hold one int32 per device point, device n
 * at element n: bit devices 0 (off) or 1 (on), word devices their whole
 * signed 32-bit value.  Comment areas hold one NUL-terminated text per device.
 * The section starts zero-filled; reserved stretches are never touched by the
 * library and only keep the later offsets in place. */
#pragma pack(push, 4)
typedef struct MH_SHARED_STRUCTURE {
  /* ---- Device values, read and written by the device and ladder exports
   * and by any client directly ---- */
  int32_t  Z[QSMA_AREA_SMALL];  /* 0x00000000 index registers */
  int32_t  M[QSMA_AREA_LARGE];  /* 0x0003FFFC internal relays */
  int32_t  Reserved000BFFF8[QSMA_AREA_LARGE];  /* 0x000BFFF8 */
  int32_t  D[QSMA_AREA_LARGE];  /* 0x0013FFF4 data registers */
  /* Write-check mark per data register, written by clients and saved by
   * Set_Map("WrDChk", ...). */
  int32_t  WrDChk[QSMA_AREA_LARGE];  /* 0x001BFFF0 */
  int32_t  S[QSMA_AREA_SMALL];  /* 0x0023FFEC step relays */
  /* Special relays, set by the program that runs the ladder (the library
   * writes none).  Edges are reported only while SM403 is on, so it is kept
   * off in the first scan.  SM() reads them; SetSma refuses them. */
  int32_t  SM[QSMA_AREA_SMALL];  /* 0x0027FFE8 */
  int32_t  L[QSMA_AREA_LARGE];  /* 0x002BFFE4 latch relays */
  int32_t  R[QSMA_AREA_SMALL];  /* 0x0033FFE0 file registers (read-only to SetSma) */
  int32_t  B[QSMA_AREA_LARGE];  /* 0x0037FFDC link relays */
  int32_t  W[QSMA_AREA_LARGE];  /* 0x003FFFD8 link registers */
  /* Timer t: Tcur[t] is its current count, advanced by the program that runs
   * the ladder while the coil is on; Tset[t] ten times the set value given to
   * SmaTSet or LAD_OUT, in the same unit; Tcoil[t] the coil, the rung result
   * LAD_OUT last wrote.  The contact (SmaTGet, GetSma("T5")) is on while
   * Tcoil > 0 and Tcur >= Tset. */
  int32_t  Tcur[QSMA_AREA_SMALL];  /* 0x0047FFD4 */
  int32_t  X[QSMA_AREA_SMALL];  /* 0x004BFFD0 inputs */
  int32_t  Y[QSMA_AREA_SMALL];  /* 0x004FFFCC outputs */
  int32_t  Reserved0053FFC8[QSMA_AREA_SMALL];  /* 0x0053FFC8 */
  int32_t  Reserved0057FFC4[QSMA_AREA_SMALL];  /* 0x0057FFC4 */
  int32_t  Tset[QSMA_AREA_SMALL];  /* 0x005BFFC0 */
  int32_t  Tcoil[QSMA_AREA_SMALL];  /* 0x005FFFBC */
  /* The cell SmaGetPoint("K<n>") stores n into and returns. */
  int32_t  Kscratch;  /* 0x0063FFB8 */
  uint8_t  Reserved0063FFBC[4];  /* 0x0063FFBC */

  /* ---- Device comments: entry n is the comment of device n, loaded from the
   * comment file at attach and changed by smModifyMemoryComment and
   * smModifyMemoryComment_FromFile; only the first 32 bytes of an entry reach
   * the file.  GetComSma gives an entry's address. ---- */
  char     CommentM[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x0063FFC0 */
  char     CommentD[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x0263FEC0 */
  char     CommentT[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x0463FDC0 timers */
  char     CommentX[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x0663FCC0 */
  char     CommentY[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x0863FBC0 */
  char     CommentAD[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x0A63FAC0 analogue inputs */
  char     CommentDA[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x0C63F9C0 analogue outputs */
  char     CommentB[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x0E63F8C0 */
  char     CommentW[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x1063F7C0 */
  /* Unit buffer memory: unit u (0..24), word n (0..499). */
  char     CommentU[25][500][QSMA_COMMENT_BYTES];  /* 0x1263F6C0 */
  /* Comments of every other device code found in the comment file. */
  char     CommentTMP[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x1294CAC0 */
  char     Reserved1494C9C0[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x1494C9C0 */
  char     CommentSM[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x1694C8C0 */
  char     CommentS[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x1894C7C0 */
  char     CommentL[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x1A94C6C0 */
  char     CommentR[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x1C94C5C0 */
  char     Reserved1E94C4C0[QSMA_AREA_LARGE][QSMA_COMMENT_BYTES];  /* 0x1E94C4C0 */
  uint8_t  Reserved2094C3C0[11232];  /* 0x2094C3C0 */

  /* ---- Value-change log bookkeeping, written by the value-change checks
   * (smLogWrite_M ...): the value of each device at its last logged change
   * (for D: at its last save).  0 in a new section, so a device first found
   * nonzero counts as a change. ---- */
  int32_t  LogPrevM[QSMA_AREA_LARGE];  /* 0x2094EFA0 */
  int32_t  LogPrevD[QSMA_AREA_LARGE];  /* 0x209CEF9C */
  int32_t  Reserved20A4EF98[QSMA_AREA_LARGE];  /* 0x20A4EF98 */
  int32_t  LogPrevL[QSMA_AREA_LARGE];  /* 0x20ACEF94 */
  int32_t  Reserved20B4EF90[QSMA_AREA_LARGE];  /* 0x20B4EF90 */
  int32_t  LogPrevB[QSMA_AREA_LARGE];  /* 0x20BCEF8C */
  int32_t  LogPrevW[QSMA_AREA_LARGE];  /* 0x20C4EF88 */
  /* Tcur and Tset of each timer as SmaTGet last found it timed out; TsetCopy
   * also takes every set value SmaTSet stores. */
  int32_t  TcurCopy[QSMA_AREA_SMALL];  /* 0x20CCEF84 */
  uint8_t  Reserved20D0EF80[1048560];  /* 0x20D0EF80 */
  int32_t  TsetCopy[QSMA_AREA_SMALL];  /* 0x20E0EF70 */
  uint8_t  Reserved20E4EF6C[7340008];  /* 0x20E4EF6C */
  /* Nonzero: changes of this device are not logged (NoLogD: nor saved to the
   * retentive file).  The exclusion file "_MEM_SMEF.ini" in MemParaPath sets
   * the flags of M, D, S, L, R, X and Y at attach and never clears one; NoLogB
   * and NoLogW are set by clients only.  Only the M, B, L, D and W flags are
   * read. */
  int32_t  NoLogM[QSMA_AREA_LARGE];  /* 0x2154EF54 */
  int32_t  NoLogB[QSMA_AREA_LARGE];  /* 0x215CEF50 */
  int32_t  NoLogD[QSMA_AREA_LARGE];  /* 0x2164EF4C */
  int32_t  NoLogS[QSMA_AREA_LARGE];  /* 0x216CEF48 */
  int32_t  NoLogL[QSMA_AREA_LARGE];  /* 0x2174EF44 */
  int32_t  NoLogR[QSMA_AREA_SMALL];  /* 0x217CEF40 */
  int32_t  NoLogW[QSMA_AREA_LARGE];  /* 0x2180EF3C */
  int32_t  NoLogX[QSMA_AREA_SMALL];  /* 0x2188EF38 */
  int32_t  NoLogY[QSMA_AREA_SMALL];  /* 0x218CEF34 */

  /* ---- Configuration texts, filled from the configuration file at every
   * attach (at most 254 characters each); ModuleDir is the directory of the
   * host program's executable.  MemParaPath holds the retentive and exclusion
   * files, MemPlcPath the PLC project with the comment file. ---- */
  char     MemParaPath[1024];  /* 0x2190EF30 MEM_PARA_PATH */
  char     MemPlcPath[1024];  /* 0x2190F330 MEM_PLC_PATH */
  char     ModuleDir[1024];  /* 0x2190F730 */
  char     SettingDir[1024];  /* 0x2190FB30 QuorUSC__DIRECTORY_SETTING */
  char     LogDir[1024];  /* 0x2190FF30 QuorUSC__DIRECTORY_LOG */
  char     EqpName[1024];  /* 0x21910330 EQP_NAME */
  char     RecipeCurName[1024];  /* 0x21910730 RECIPE_CUR_NAME */
  char     RecipeCurNumber[1024];  /* 0x21910B30 RECIPE_CUR_NUMBER, as text */
  char     ProgramVer[1024];  /* 0x21910F30 PROGRAM_VER */
  char     Reserved21911330[1024];  /* 0x21911330 */

  /* ---- The value-change mailbox.  The library writes one line into LogLine
   * and then sets LogLinePending to 1; it never replaces a pending line.  A
   * collecting client takes the line while LogLinePending is 1 and then sets
   * it to 0.  LogEnable (nonzero: logging on) is written by clients only. ---- */
  char     LogLine[1024];  /* 0x21911730 */
  int32_t  LogEnable;  /* 0x21911B30 */
  int32_t  LogLinePending;  /* 0x21911B34 */
  int32_t  hWndMsg;  /* 0x21911B38 smSethWndMsg / smGethWndMsg */
  uint8_t  Reserved21911B3C[4456412];  /* 0x21911B3C */

  /* ---- Ladder evaluation state.  PulseSlot is written by the client before
   * each edge instruction: the PulseMemory cell (0..131070) that instruction
   * owns, where the library keeps its previous input.  The rest belongs to
   * the instructions: the result stack (ResultDepth entries, 0..100, entry 0
   * first; LastResult the value pushed last), the block stack (the same for
   * open branch points) and the branch store (BranchStack, the n-th open
   * branch point at [n-1][n-1], BranchRow and BranchCol its nesting depth).
   * END clears the stacks and the branch store. ---- */
  int32_t  PulseSlot;  /* 0x21D51B18 */
  int32_t  Reserved21D51B1C[8];  /* 0x21D51B1C */
  int32_t  PulseMemory[QSMA_AREA_LARGE];  /* 0x21D51B3C */
  int32_t  LastResult;  /* 0x21DD1B38 */
  int32_t  LastBlock;  /* 0x21DD1B3C */
  int32_t  BlockDepth;  /* 0x21DD1B40 */
  int32_t  BlockStack[100];  /* 0x21DD1B44 */
  int32_t  ResultDepth;  /* 0x21DD1CD4 */
  int32_t  ResultStack[100];  /* 0x21DD1CD8 */
  int32_t  BranchStack[8][8];  /* 0x21DD1E68 */
  int32_t  BranchRow;  /* 0x21DD1F68 */
  int32_t  BranchCol;  /* 0x21DD1F6C */
} MH_SHARED_STRUCTURE;
#pragma pack(pop)

/* The record that ResolveOP fills (152 bytes, no gaps).  Text fields hold
 * exactly the characters taken for them, NUL-terminated. */
typedef struct ResolvedOperand {
  char text[64];         /* the operand's characters */
  char device[4];        /* device letter ("K"/"Z" for a lone prefix); "SM" */
  int32_t isHex;         /* 1 for W B X Y (hexadecimal numbers) */
  int32_t isWord;        /* 1 for W D R, 0 for bit devices */
  int32_t isBit;         /* 1 for bit devices and for a register bit "D1.3" */
  char constText[11];    /* digits of a K prefix */
  char numberText[22];   /* characters of the device number */
  char indexText[11];    /* digits of the index-register number */
  int32_t hasPrefix;     /* 1 when a K or Z prefix was read */
  int32_t kPending;      /* 1 when a K is followed directly by a letter */
  int32_t hasIndex;      /* 1 with an index register (prefix or suffix) */
  int32_t constValue;    /* the K value; times 4 before a bit device (bits) */
  int32_t number;        /* the device number */
  int32_t bit;           /* the bit number after "." */
  int32_t indexNumber;   /* the index-register number */
} ResolvedOperand;

/* Receives message-box texts or trace lines (CP949 bytes, as formatted). */
typedef void(QSMA_CDECL *QsmaTextSink)(const char *text, void *context);

/* ---- Segment and handles ---- */

/* Creates the named section, or opens it when another process already has,
 * and maps it into this process.  Returns 1 when mapped, 0 on failure (after
 * a trace line; the image is then not mapped).  The library calls it when it
 * is loaded: call it only to map the section again after
 * smDelateSharedMemory.  The name is QSMA_SECTION_NAME unless QUORSMA_SECTION
 * gives another. */
QSMA_EXPORT int32_t QSMA_API smCreateSharedMemory(void);
/* Unmaps this process's view; the section lives on while other processes
 * hold it.  Afterwards the exports fail cleanly (see the top of this header)
 * and addresses taken from the image are invalid, until smCreateSharedMemory
 * maps it again.  Does nothing when nothing is mapped. */
QSMA_EXPORT void QSMA_API smDelateSharedMemory(void);
/* Stores this process's address of the image into *pointer (null while not
 * mapped) and returns `pointer`; a null `pointer` stores nothing and returns
 * null.  Every field may be read and written through the address. */
QSMA_EXPORT MH_SHARED_STRUCTURE **QSMA_API smGetMemoryPointer(MH_SHARED_STRUCTURE **pointer);
/* The communication window's handle: one value for every process of the
 * machine that has the library loaded (kept outside the image; 0 until set).
 * Setting it while it is nonzero writes the trace line "smSethWndComm()
 * failed!! ..." and replaces it all the same. */
QSMA_EXPORT void QSMA_API smSethWndComm(QSMA_HWND hwnd);
QSMA_EXPORT QSMA_HWND QSMA_API smGethWndComm(void);
/* The message window's handle, kept in the image field hWndMsg without any
 * check. */
QSMA_EXPORT void QSMA_API smSethWndMsg(QSMA_HWND hwnd);
QSMA_EXPORT QSMA_HWND QSMA_API smGethWndMsg(void);
/* Message boxes and trace lines go to these sinks when set; a null sink
 * restores the default (a modal box / the debugger output on Windows; standard
 * error for boxes, and for traces when QUORSMA_TRACE=stderr, on Linux).  One
 * sink of each kind per process; it is called on the thread that raised the
 * text, and the operation goes on when it returns. */
QSMA_EXPORT void QSMA_API smSetMessageSink(QsmaTextSink sink, void *context);
QSMA_EXPORT void QSMA_API smSetTraceSink(QsmaTextSink sink, void *context);

/* ---- Operands ---- */

/* The element index of the device an operand text names: its number, plus
 * Z[k] for an index suffix "Z<k>" on M, D or W.  Not checked against the
 * area ("D99999999" gives 99999999).  Reads index registers, writes nothing.
 *   "D100" 100, "X1F" 31, "K50" 50, "K4M100" 100, "T5K100" 5, "SM400Z1" 400,
 *   "D100.5" 100, "W12345.1" 0x12345, "M10Z2" 10 + Z[2], "Q10" 10.
 *   0: the empty text; D texts with other letters or a "." after position 5
 *   ("D100K", "D12345.1"); "G" texts with letters.
 *   -999: one character; a second character of * + , - . / : ; < = > ?;
 *   no digit after the first character ("M", "M-1", "XG"); an index register
 *   outside Z or a sum beyond 32 bits; and, with a trace line, letters after
 *   the number of any other device ("X10Z1", "L100Z2", "K4X10"); null.
 * An index register above Z20 first shows the box "GetIndex D....15>index...!". */
QSMA_EXPORT int32_t QSMA_API GetIndex(const char *operand);
/* Splits an operand text into a ResolvedOperand, without touching the image
 * (works while unmapped).  Pass a zero-filled record.  Returns 1 when the
 * whole text was understood ("K4M100", "D100.F", "W1FZ2", "Z1D100", "SM400"),
 * 0 otherwise ("K100", "M10.1", "D100Z", "D100X", a null argument), the
 * record then holding what was filled before the failing step; a text of 64
 * characters or more leaves it untouched.  A "Z" right after the characters
 * of a K or Z prefix ("K4Z1") shows the box "ResolveOP ==>>  K..." and
 * returns 0. */
QSMA_EXPORT int32_t QSMA_API ResolveOP(const char *operand, ResolvedOperand *record);

/* ---- Device read ---- */

/* The value of the device an operand text names, as a ladder contact reads
 * it: a cell ("D100", "X1F", "SM400"), bit b of a register ("D100.3",
 * "W1F.F"), cell n + Z[k] ("M10Z2", on M B X Y D W), a constant ("K50"), a
 * digit read of 1 to 8 digits ("K4M100") or a timer's contact ("T5", as
 * SmaTGet).  Reading M, B, L, D or W runs its value-change check (see
 * smLogWrite_M).  Bad operands (a stored 0 cannot be told from a failure):
 *   -999: texts GetIndex refuses by their shape (empty, one character, a bad
 *   second character, no digit: "M", "K-5", "T-1");
 *   0: a number outside the area, an index register outside Z, a bit number
 *   outside 0..31, a digit read outside 1..8 digits or past M131070, null;
 *   0 with a box: an unknown device ("Q10": "GetSma( char* in ) iKchk == 0 &&
 *   ichkspc == 0 Error"), D or W with letters but no "." or "Z" ("D10K":
 *   "GetSma( char* in ) *in == 'D' Error", 'W' likewise), a timer number of
 *   65535 or more (" TimerT Number Error ");
 *   0 with a trace line: a suffix on any other device ("L10Z1").
 * "G" texts with a suffix give 71, "U" texts their word number. */
QSMA_EXPORT int32_t QSMA_API GetSma(const char *operand);
/* A double word: the low 16 bits of register n ("D100", "W10", resolved as
 * GetIndex does) as bits 0-15 and those of register n+1 as bits 16-31.
 * "K<n>" gives what GetIndex gives.  0 when register n or n+1 lies outside
 * the area or the text names no register; any other device, and the empty
 * text, show the box "GetSma( char* in ) Error" and give 0.  No value-change
 * check. */
QSMA_EXPORT int32_t QSMA_API GetValue2Word(const char *operand);
/* The address of the device's cell in the image, for read-modify-write:
 * M L S SM X Y B W D R Z resolved as GetIndex does, and for "T<n>" the
 * current value Tcur[n].  "K<n>" stores n into Kscratch and returns its
 * address (one cell for the whole machine: read it before the next K
 * request).  M, B, L, D and W run their value-change check before the
 * address is returned; a write through it is checked only at the device's
 * next access.  A bit form names the register GetSma reads ("D12345.7",
 * "D100Z1.3").  Null, without a box, for a number outside the area, a D text
 * naming no register ("D100K") or a text GetIndex refuses; null after the box
 * "GetPoint Error(...)" for any other device and the empty text. */
QSMA_EXPORT int32_t *QSMA_API SmaGetPoint(const char *operand);
/* The address of the device's QSMA_COMMENT_BYTES-byte comment entry for M L
 * S SM X Y B W D R T, resolved as GetIndex does.  Writing there does not
 * rewrite the comment file (smModifyMemoryComment does).  Null, without a
 * box, for K and other devices, the empty text, a text GetIndex refuses,
 * a D text naming no register ("D100K") and a number outside the area; a bit
 * form names its register, as for SmaGetPoint. */
QSMA_EXPORT char *QSMA_API GetComSma(const char *operand);
/* A timer's contact: 1 when its coil is on (Tcoil > 0) and Tcur has reached
 * Tset, which also copies both into TcurCopy and TsetCopy; else 0.  Timer
 * numbers of 65535 and more show the box " TimerT Number Error " and give 0;
 * negative ones give 0 silently. */
QSMA_EXPORT int32_t QSMA_API SmaTGet(int32_t timer);

/* ---- Device write ---- */

/* Writes `value` to the device an operand text names, resolved as GetIndex
 * does: the whole cell of M X Y B S L Z D W ("M10Z2" too); "T<n>" loads the
 * timer as SmaTSet(n, value); "D100.3" / "W1F.F" set bit b (0..15) to
 * (old & ~(1 << b)) | (value << b), so give 0 or 1.  Writes of M, B, L, D, W
 * run the value-change check (see smLogWrite_M).  Not written, without a
 * box: a number outside the area, a D text naming no register ("D100K"),
 * null, a text GetIndex refuses (indexed X Y B L among them; GetIndex may
 * write its trace line).  Not written, after a box: SM, K, R, U, other
 * devices and the empty text ("SetValue( char* in1 , char* in2) Error"); a
 * bit number outside 0..15 ("SetValue():Outover D....15>iIndex...!", W
 * likewise). */
QSMA_EXPORT void QSMA_API SetSma(const char *operand, int32_t value);
/* Loads timer `timer` with a set value: Tset holds ten times it (held at the
 * 32-bit limits), in the unit in which the client advances Tcur.  A value
 * whose tenfold exceeds Tcur is stored in Tset and TsetCopy; 0 clears Tset
 * and Tcur (the timer restarts); a negative value, or one not above Tcur,
 * changes nothing.  Timer numbers of 65535 and more show the box " TimerS
 * Number Error "; negative ones are ignored silently. */
QSMA_EXPORT void QSMA_API SmaTSet(int32_t timer, int32_t setValue);
/* The special relay SM<relay> for 400, 401, 402, 403, 411 and 412; 0 for
 * every other number, without a message. */
QSMA_EXPORT int32_t QSMA_API SM(int32_t relay);

/* ---- Ladder instructions ----
 * One call per instruction, rung after rung, END after the last rung of each
 * scan.  The result stack carries the rung's result: loads push, series and
 * parallel contacts replace the top entry, outputs pop.  A push on a full
 * stack (100 entries) is dropped; a pop from an empty stack gives the value
 * pushed last (LastResult) and leaves it empty.  A result is on when it is
 * nonzero.  Operands are read with GetSma, so a bad operand takes part as
 * -999 (on) or 0 (off), with GetSma's messages; a null operand is the empty
 * text.  Nothing is returned unless stated. */

/* Push puts `value` on the result stack.  Pop_p takes the top entry off and
 * returns it; on an empty stack it returns LastResult (0 after END). */
QSMA_EXPORT void QSMA_API Push(int32_t value);
QSMA_EXPORT int32_t QSMA_API Pop_p(void);
/* LD pushes the operand's value as is (a register pushes its number); LDI
 * pushes 1 when it is 0, else 0.  With p the current result: AND makes it
 * the value when p is on, else 0; ANI makes it 1 when p is exactly 1 and the
 * value is 0, else 0; OR makes it 1 when p is on, else the value; ORI makes
 * it 1 when p is on or the value is 0, else 0; INV makes it 1 when p is 0,
 * else 0.  AND, OR and ORI read their operand only when p does not decide. */
QSMA_EXPORT void QSMA_API LD(const char *operand);
QSMA_EXPORT void QSMA_API LDI(const char *operand);
QSMA_EXPORT void QSMA_API AND(const char *operand);
QSMA_EXPORT void QSMA_API ANI(const char *operand);
QSMA_EXPORT void QSMA_API OR(const char *operand);
QSMA_EXPORT void QSMA_API ORI(const char *operand);
QSMA_EXPORT void QSMA_API INV(void);
/* End of scan: clears the result stack, the block stack, their last values
 * and the branch store.  BranchRow, BranchCol and the edge memory are kept. */
QSMA_EXPORT void QSMA_API END(void);

/* ANB pops two results and pushes their bitwise AND, also ANDed with the
 * innermost open branch point (1 when none is open); ORB pops two and pushes
 * 1 when either is on, else 0.  MPS takes the current result off the stack
 * and opens a branch point with it (stored up to 8 deep; the next contact
 * still finds it as the value pushed last); MRD pushes the
 * innermost branch point again, MPP pushes it and closes it.  MRD and MPP
 * with no branch point open, or deeper than 8, push 0. */
QSMA_EXPORT void QSMA_API ANB(void);
QSMA_EXPORT void QSMA_API ORB(void);
QSMA_EXPORT void QSMA_API MPS(void);
QSMA_EXPORT void QSMA_API MRD(void);
QSMA_EXPORT void QSMA_API MPP(void);

/* Edges.  Before each edge instruction (CheckPulse, LDP to MEP, PLS, INCP,
 * DINCP, DECP, BSFLP) the caller writes PulseSlot: the PulseMemory cell,
 * 0..131070, that this instruction owns for the whole program.  An edge is reported only
 * while SM403 is on; the cell learns the input either way.  A PulseSlot
 * outside 0..131070 gives no edge and writes nothing.  CheckPulse(input)
 * returns 1 on a rising edge: `input` exactly 1 where the cell held 0. */
QSMA_EXPORT int32_t QSMA_API CheckPulse(int32_t input);
/* LDP / LDF push 1 on a rising / falling edge of the operand's value, else 0
 * (a value of 0 on a fresh cell counts as a falling edge).  ANDP / ANDF make
 * the current result 1 when it is on and the edge occurs, else 0; ORP / ORF
 * 1 when it is on or the edge occurs.  ANDP and ORP leave their cell alone
 * when the current result decides; ANDF and ORF always update theirs.  Each
 * returns 1 (0 while not mapped).  MEP makes the current result its own
 * rising edge. */
QSMA_EXPORT int32_t QSMA_API LDP(const char *operand);
QSMA_EXPORT int32_t QSMA_API LDF(const char *operand);
QSMA_EXPORT int32_t QSMA_API ANDP(const char *operand);
QSMA_EXPORT int32_t QSMA_API ANDF(const char *operand);
QSMA_EXPORT int32_t QSMA_API ORP(const char *operand);
QSMA_EXPORT int32_t QSMA_API ORF(const char *operand);
QSMA_EXPORT void QSMA_API MEP(void);

/* Comparisons: GetSma(first) against GetSma(second), signed 32-bit, first
 * on the left (LD_LT: first < second).  LD_* push 1 when the relation holds,
 * else 0; AND_* make the current result that when it is on, else 0; OR_*
 * make it 1 when it is on, else that.  AND_* and OR_* read the operands only
 * when the current result does not decide.  There is no OR_GT. */
QSMA_EXPORT void QSMA_API LD_EQ(const char *first, const char *second);
QSMA_EXPORT void QSMA_API LD_NEQ(const char *first, const char *second);
QSMA_EXPORT void QSMA_API LD_LT(const char *first, const char *second);
QSMA_EXPORT void QSMA_API LD_LTE(const char *first, const char *second);
QSMA_EXPORT void QSMA_API LD_GT(const char *first, const char *second);
QSMA_EXPORT void QSMA_API LD_GTE(const char *first, const char *second);
QSMA_EXPORT void QSMA_API AND_EQ(const char *first, const char *second);
QSMA_EXPORT void QSMA_API AND_NEQ(const char *first, const char *second);
QSMA_EXPORT void QSMA_API AND_LT(const char *first, const char *second);
QSMA_EXPORT void QSMA_API AND_LTE(const char *first, const char *second);
QSMA_EXPORT void QSMA_API AND_GT(const char *first, const char *second);
QSMA_EXPORT void QSMA_API AND_GTE(const char *first, const char *second);
QSMA_EXPORT void QSMA_API OR_EQ(const char *first, const char *second);
QSMA_EXPORT void QSMA_API OR_NEQ(const char *first, const char *second);
QSMA_EXPORT void QSMA_API OR_LT(const char *first, const char *second);
QSMA_EXPORT void QSMA_API OR_LTE(const char *first, const char *second);
QSMA_EXPORT void QSMA_API OR_GTE(const char *first, const char *second);

/* LAD_OUT pops the result.  With an empty `setValue` it writes the result,
 * unchanged, to the operand with SetSma.  With a `setValue` the operand must
 * be a timer "T<n>": Tcoil[n] takes the result, and the timer is loaded with
 * GetSma(setValue) while the result is on and reset while off (SmaTSet).  A
 * `setValue` with any other device shows the box "LAD_OUT( char* in1 , char*
 * in2) Error" and writes nothing. */
QSMA_EXPORT void QSMA_API LAD_OUT(const char *operand, const char *setValue);
/* SET / RST pop the result and, when it is on, write 1 / 0 with SetSma. */
QSMA_EXPORT void QSMA_API SET(const char *operand);
QSMA_EXPORT void QSMA_API RST(const char *operand);
/* PLS pops the result.  With an empty `setValue` the operand's cell (from
 * SmaGetPoint, with its messages) becomes 1 at a rising edge of the result
 * (as CheckPulse) and 0 on every other call.  With a `setValue` a rising edge
 * runs LAD_OUT(operand, setValue), which pops once more. */
QSMA_EXPORT void QSMA_API PLS(const char *operand, const char *setValue);

/* Arithmetic: each pops the result and does nothing while it is off.  The
 * sources are read with GetSma; the result is stored into the cell that
 * SmaGetPoint gives for the destination (nothing when it gives null), with
 * 32-bit wrap-around.  With an empty destination LAD_PLUS stores first +
 * second, LAD_MINUS second - first, LAD_MULTIPLY first * second into the
 * second operand.  LADALL_DIVIDE stores first / second (towards zero) and the
 * remainder into the next cell of the destination's area; it stores nothing
 * without a destination, for a zero divisor, for -2147483648 / -1 or when the
 * destination is the last cell of its area.  A "K" destination is Kscratch
 * for LAD_PLUS and LAD_MINUS; LAD_MULTIPLY and LADALL_DIVIDE show the box
 * "LAD_MULTIPLY Error!!(...)" / "LADALL_DIVIDE Error!!(...)" for it and store
 * nothing. */
QSMA_EXPORT void QSMA_API LAD_PLUS(const char *first, const char *second, const char *destination);
QSMA_EXPORT void QSMA_API LAD_MINUS(const char *first, const char *second, const char *destination);
QSMA_EXPORT void QSMA_API LAD_MULTIPLY(const char *first, const char *second, const char *destination);
QSMA_EXPORT void QSMA_API LADALL_DIVIDE(const char *first, const char *second, const char *destination);
/* INC pops the result and, when it is on, adds 1 to a D, W or Z register
 * (through SmaGetPoint, wrapping).  INCP and DINCP add 1 at a rising edge of
 * the result (DINCP, too, to the one register named); DECP subtracts 1 from
 * a D or W register at a rising edge.  The edge cell of INCP, DINCP and DECP
 * is updated on every call.  Any other device
 * shows the box "INC Error!!(...)" (DECP: "DEC(char *in1) failed ...") when
 * the step is due, and changes nothing. */
QSMA_EXPORT void QSMA_API INC(const char *operand);
QSMA_EXPORT void QSMA_API INCP(const char *operand);
QSMA_EXPORT void QSMA_API DINCP(const char *operand);
QSMA_EXPORT void QSMA_API DECP(const char *operand);

/* BSFLP("M100", "K8") pops the result and, at its rising edge, shifts
 * M100..M107 one place up: the last relay's value is dropped and M100
 * becomes 0 (a count of 1 or less clears M100 only).  Checked on every call
 * before the edge cell is touched, each with its box and nothing changed:
 * "BSFLP Error(Invalid Format)" (count not "K<n>", texts too long), "BSFLP
 * Error(Out of Rage)" (a negative start, a run past M131070), "BSFLP
 * Error(Invalid Device)" (not M). */
QSMA_EXPORT void QSMA_API BSFLP(const char *device, const char *count);

/* ---- Value-change log and retentive registers ---- */

/* The value-change check of device `index` (0..131070; any other index does
 * nothing).  GetSma, SetSma and SmaGetPoint run it on every M, B, L, D and W
 * access; call it after writing such a device directly in the image.  When
 * the device differs from its LogPrev value, LogEnable is nonzero, no line is
 * pending and its NoLog flag is 0, the line "VC => M[%04d]=%d => %d \t: %s"
 * (with the kind's letter: index, old value, new value, comment; B and W
 * print the index as %04X)
 * goes to LogLine, LogLinePending becomes 1 and LogPrev takes the new value.
 * Otherwise the change waits for a later check. */
QSMA_EXPORT void QSMA_API smLogWrite_M(int32_t index);
QSMA_EXPORT void QSMA_API smLogWrite_B(int32_t index);
QSMA_EXPORT void QSMA_API smLogWrite_L(int32_t index);
QSMA_EXPORT void QSMA_API smLogWrite_W(int32_t index);
/* As above; a logged change also saves the register's group of 50 to the
 * retentive file "_DIO_DV.ini" in MemParaPath (loaded back at attach),
 * and D300..D1099 are saved at every change even while logging is off or a
 * line is pending.  NoLogD excludes a register from both. */
QSMA_EXPORT void QSMA_API smLogWrite_D(int32_t index);
/* Always returns 0, also when nothing was done or a save failed; `value` is
 * not used.  A kind beginning with "D": the D line of `index` (LogPrevD to D,
 * whatever LogEnable; LogPrevD unchanged) goes to LogLine when no line is
 * pending, and the group of 50 holding D<index> is saved to "_DIO_DV.ini".
 * "WrDChk": the group of WrDChk cells is saved to "_DIO_WrDChk.ini".  Both
 * files are in MemParaPath.  Other kinds, a null kind or an index outside
 * 0..131070 do nothing. */
QSMA_EXPORT int32_t QSMA_API Set_Map(const char *kind, int32_t index, int32_t value);

/* ---- Comments (C calling convention) ---- */

/* Sets the comment of device `number` (0..131070) of `kind`, one of "M" "D"
 * "B" "T" "X" "Y" "AD" "DA" "SM" "S" "L" "R" "W": the entry takes the first
 * 255 bytes of `comment`, then the comment file (Resource/Others/COMMENT.WCD
 * under MemPlcPath, with the work files PLC_S and PLC_F) is rewritten.
 * Returns 1 when both were done.  Returns 0: for a null argument or a number
 * outside the area (nothing changed, no message); for any other kind, after
 * the box "BOOL WINAPI smModifyMemoryComment(ON SMA)" and a box showing
 * `comment`; when the file could not be written (trace lines name it; the
 * entry keeps the new text).  A missing comment file shows the box "<path>
 * ..." and is created. */
QSMA_EXPORT int32_t QSMA_CDECL smModifyMemoryComment(const char *kind, int32_t number, const char *comment);
/* Imports "key=comment" lines from the file at `path` and then rewrites the
 * comment file once.  A key is a device as smModifyMemoryComment names it and
 * a number, hexadecimal for X Y B W ("X1F=start"); the comment is laid out in
 * 8-byte cells, at most 32 bytes.  Lines end at CR, LF, '"' or NUL; lines
 * starting with "[" or without a key are skipped.  A key naming no comment
 * area, or a number outside 0..131070, shows the box
 * "smModifyMemoryComment_FromFile Error MEM_<key> <comment>" and the import
 * goes on.  Returns 1 when the file was rewritten (also when
 * lines were refused); 0 when `path` is null or cannot be read (trace "<path>
 * ..."), or the rewrite failed. */
QSMA_EXPORT int32_t QSMA_CDECL smModifyMemoryComment_FromFile(const char *path);

#ifdef __cplusplus
} /* extern "C" */
#endif

/* ---- Layout checks ---- */
#ifdef __cplusplus
#define QSMA_STATIC_ASSERT(cond, msg) static_assert(cond, msg)
#else
#define QSMA_STATIC_ASSERT(cond, msg) _Static_assert(cond, msg)
#endif
#define QSMA_CHECK_OFFSET(field, offset) \
  QSMA_STATIC_ASSERT(offsetof(MH_SHARED_STRUCTURE, field) == (offset), "offset of " #field)

QSMA_CHECK_OFFSET(Z, 0x00000000);
QSMA_CHECK_OFFSET(M, 0x0003FFFC);
QSMA_CHECK_OFFSET(Reserved000BFFF8, 0x000BFFF8);
QSMA_CHECK_OFFSET(D, 0x0013FFF4);
QSMA_CHECK_OFFSET(WrDChk, 0x001BFFF0);
QSMA_CHECK_OFFSET(S, 0x0023FFEC);
QSMA_CHECK_OFFSET(SM, 0x0027FFE8);
QSMA_CHECK_OFFSET(L, 0x002BFFE4);
QSMA_CHECK_OFFSET(R, 0x0033FFE0);
QSMA_CHECK_OFFSET(B, 0x0037FFDC);
QSMA_CHECK_OFFSET(W, 0x003FFFD8);
QSMA_CHECK_OFFSET(Tcur, 0x0047FFD4);
QSMA_CHECK_OFFSET(X, 0x004BFFD0);
QSMA_CHECK_OFFSET(Y, 0x004FFFCC);
QSMA_CHECK_OFFSET(Reserved0053FFC8, 0x0053FFC8);
QSMA_CHECK_OFFSET(Reserved0057FFC4, 0x0057FFC4);
QSMA_CHECK_OFFSET(Tset, 0x005BFFC0);
QSMA_CHECK_OFFSET(Tcoil, 0x005FFFBC);
QSMA_CHECK_OFFSET(Kscratch, 0x0063FFB8);
QSMA_CHECK_OFFSET(Reserved0063FFBC, 0x0063FFBC);
QSMA_CHECK_OFFSET(CommentM, 0x0063FFC0);
QSMA_CHECK_OFFSET(CommentD, 0x0263FEC0);
QSMA_CHECK_OFFSET(CommentT, 0x0463FDC0);
QSMA_CHECK_OFFSET(CommentX, 0x0663FCC0);
QSMA_CHECK_OFFSET(CommentY, 0x0863FBC0);
QSMA_CHECK_OFFSET(CommentAD, 0x0A63FAC0);
QSMA_CHECK_OFFSET(CommentDA, 0x0C63F9C0);
QSMA_CHECK_OFFSET(CommentB, 0x0E63F8C0);
QSMA_CHECK_OFFSET(CommentW, 0x1063F7C0);
QSMA_CHECK_OFFSET(CommentU, 0x1263F6C0);
QSMA_CHECK_OFFSET(CommentTMP, 0x1294CAC0);
QSMA_CHECK_OFFSET(Reserved1494C9C0, 0x1494C9C0);
QSMA_CHECK_OFFSET(CommentSM, 0x1694C8C0);
QSMA_CHECK_OFFSET(CommentS, 0x1894C7C0);
QSMA_CHECK_OFFSET(CommentL, 0x1A94C6C0);
QSMA_CHECK_OFFSET(CommentR, 0x1C94C5C0);
QSMA_CHECK_OFFSET(Reserved1E94C4C0, 0x1E94C4C0);
QSMA_CHECK_OFFSET(Reserved2094C3C0, 0x2094C3C0);
QSMA_CHECK_OFFSET(LogPrevM, 0x2094EFA0);
QSMA_CHECK_OFFSET(LogPrevD, 0x209CEF9C);
QSMA_CHECK_OFFSET(Reserved20A4EF98, 0x20A4EF98);
QSMA_CHECK_OFFSET(LogPrevL, 0x20ACEF94);
QSMA_CHECK_OFFSET(Reserved20B4EF90, 0x20B4EF90);
QSMA_CHECK_OFFSET(LogPrevB, 0x20BCEF8C);
QSMA_CHECK_OFFSET(LogPrevW, 0x20C4EF88);
QSMA_CHECK_OFFSET(TcurCopy, 0x20CCEF84);
QSMA_CHECK_OFFSET(Reserved20D0EF80, 0x20D0EF80);
QSMA_CHECK_OFFSET(TsetCopy, 0x20E0EF70);
QSMA_CHECK_OFFSET(Reserved20E4EF6C, 0x20E4EF6C);
QSMA_CHECK_OFFSET(NoLogM, 0x2154EF54);
QSMA_CHECK_OFFSET(NoLogB, 0x215CEF50);
QSMA_CHECK_OFFSET(NoLogD, 0x2164EF4C);
QSMA_CHECK_OFFSET(NoLogS, 0x216CEF48);
QSMA_CHECK_OFFSET(NoLogL, 0x2174EF44);
QSMA_CHECK_OFFSET(NoLogR, 0x217CEF40);
QSMA_CHECK_OFFSET(NoLogW, 0x2180EF3C);
QSMA_CHECK_OFFSET(NoLogX, 0x2188EF38);
QSMA_CHECK_OFFSET(NoLogY, 0x218CEF34);
QSMA_CHECK_OFFSET(MemParaPath, 0x2190EF30);
QSMA_CHECK_OFFSET(MemPlcPath, 0x2190F330);
QSMA_CHECK_OFFSET(ModuleDir, 0x2190F730);
QSMA_CHECK_OFFSET(SettingDir, 0x2190FB30);
QSMA_CHECK_OFFSET(LogDir, 0x2190FF30);
QSMA_CHECK_OFFSET(EqpName, 0x21910330);
QSMA_CHECK_OFFSET(RecipeCurName, 0x21910730);
QSMA_CHECK_OFFSET(RecipeCurNumber, 0x21910B30);
QSMA_CHECK_OFFSET(ProgramVer, 0x21910F30);
QSMA_CHECK_OFFSET(Reserved21911330, 0x21911330);
QSMA_CHECK_OFFSET(LogLine, 0x21911730);
QSMA_CHECK_OFFSET(LogEnable, 0x21911B30);
QSMA_CHECK_OFFSET(LogLinePending, 0x21911B34);
QSMA_CHECK_OFFSET(hWndMsg, 0x21911B38);
QSMA_CHECK_OFFSET(Reserved21911B3C, 0x21911B3C);
QSMA_CHECK_OFFSET(PulseSlot, 0x21D51B18);
QSMA_CHECK_OFFSET(Reserved21D51B1C, 0x21D51B1C);
QSMA_CHECK_OFFSET(PulseMemory, 0x21D51B3C);
QSMA_CHECK_OFFSET(LastResult, 0x21DD1B38);
QSMA_CHECK_OFFSET(LastBlock, 0x21DD1B3C);
QSMA_CHECK_OFFSET(BlockDepth, 0x21DD1B40);
QSMA_CHECK_OFFSET(BlockStack, 0x21DD1B44);
QSMA_CHECK_OFFSET(ResultDepth, 0x21DD1CD4);
QSMA_CHECK_OFFSET(ResultStack, 0x21DD1CD8);
QSMA_CHECK_OFFSET(BranchStack, 0x21DD1E68);
QSMA_CHECK_OFFSET(BranchRow, 0x21DD1F68);
QSMA_CHECK_OFFSET(BranchCol, 0x21DD1F6C);
QSMA_STATIC_ASSERT(sizeof(MH_SHARED_STRUCTURE) == 0x21DD1F70u, "size of MH_SHARED_STRUCTURE");
QSMA_STATIC_ASSERT(sizeof(ResolvedOperand) == 152, "size of ResolvedOperand");
QSMA_STATIC_ASSERT(offsetof(ResolvedOperand, hasPrefix) == 124, "offset of ResolvedOperand.hasPrefix");

#endif /* QUORSMA_QUORSMA_H_ */
