/* QuorSMA client library: the rules every program that works on the device
 * memory shares, in one place.
 *
 * The core library (quorsma.h) is exact but permissive: it reads operand texts
 * its own way and answers a text it cannot place with a failure value, a
 * message box or silently nothing.  Programs built on it (the quorsma tool,
 * its servers, the Python binding, your own) need more: a strict grammar for
 * operands and device ranges, write permissions that grant exactly what they
 * name, a write that writes exactly what it checked, the rules of comments,
 * value formatting, and the value-change collector.  This library holds them
 * once; it is built on quorsma.h alone.
 *
 * Conventions of every function:
 *  - C calling convention, plain names (qsc_...), usable from C, C++, Python's
 *    ctypes and any language with a C foreign-function interface.
 *  - Functions that can fail return a qsc_status (0 for success).  Where a
 *    function takes `error` and `error_size`, a failure leaves a one-line
 *    reason there in ASCII (or CP949 where it quotes a comment), cut to fit
 *    and always terminated when error_size > 0; error may be NULL.
 *  - Texts given in are a pointer and a length in bytes, so a text may hold
 *    any byte; texts given out are written to a caller's buffer, always
 *    terminated when its size is above 0; the return value is the full length
 *    the text needs (without the terminator), so a return value >= size says
 *    the buffer was too small and the text was cut.
 *  - Operands and device numbers are as the tool takes them: see the grammar
 *    below.  Every text the library gives out is upper case.
 *  - Objects (qsc_list, qsc_permission, qsc_collector, qsc_lock) are made by
 *    their *_parse / *_open / *_acquire function and given back with their
 *    *_free / *_close / *_release function; a parsed list or permission never
 *    changes and may be used by several threads at once.
 *
 * Operand grammar (letters in either case):
 *   constant      K<decimal>                 K0 .. K2147483647
 *   digit group   K<d><bit dev><n>[Z<k>]     d = 1..8 groups of 4 bits of a bit
 *                                            device X Y M L B S SM (Z<k>: M only)
 *   device        <dev><number>[.<bit>][Z<k>]
 *     dev         X Y B W (hexadecimal numbers), M L S SM D R Z T (decimal)
 *     number      below the device's area count (qsc_device_kind.count)
 *     .<bit>      D and W only, bit 0..15 in decimal, register number of at
 *                 most four characters
 *     Z<k>        index register k = 0..20; M B X Y D W only, not with .<bit>
 * What a given use accepts of these is its role (qsc_role).
 *
 * Range grammar (device lists):
 *   list    item[,item]...        blanks around an item are ignored
 *   item    FIRST..LAST           one device kind, both ends plain devices in the
 *                                 device's own radix; at most QSC_MAX_RANGE_DEVICES
 *         | OPERAND               one operand of role QSC_ROLE_MONITOR
 *         | all                   every device, where the caller allows it
 * Constants are not devices and are refused in lists.
 */
#ifndef QUORSMA_CLIENT_H
#define QUORSMA_CLIENT_H

#include <stddef.h>
#include <stdint.h>

#include "quorsma/quorsma.h"

#if defined(_WIN32)
#if defined(QSC_BUILDING)
#define QSC_EXPORT __declspec(dllexport)
#else
#define QSC_EXPORT __declspec(dllimport)
#endif
#define QSC_CALL __cdecl
#else
#define QSC_EXPORT __attribute__((visibility("default")))
#define QSC_CALL
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Version and status ------------------------------------------------ */

#define QSC_VERSION_MAJOR 1
#define QSC_VERSION_MINOR 0
#define QSC_VERSION_PATCH 0
#define QSC_VERSION_TEXT "1.0.0"

/* The version of the loaded client library, "1.0.0".  A program built with
 * this header may check that the major numbers agree. */
QSC_EXPORT const char *QSC_CALL qsc_version(void);

typedef enum qsc_status {
  QSC_OK = 0,
  QSC_BAD_INPUT = -1,    /* a text the grammar or the rule refuses */
  QSC_NOT_ALLOWED = -2,  /* outside the permission */
  QSC_OUTSIDE_AREA = -3, /* an index register points outside the device area */
  QSC_FAILED = -4,       /* the system refused (a file, a lock); the reason says why */
  QSC_BUSY = -5,         /* another process holds the lock; the reason names it */
  QSC_NO_LINE = -6,      /* the collector found no line in the time given */
  QSC_NO_IMAGE = -7,     /* the section is not mapped in this process */
  QSC_MISSING = -8       /* the file asked for does not exist */
} qsc_status;

/* ---- Device kinds ------------------------------------------------------- */

/* One kind of device of the image.  Every other table of the tool, the
 * servers and the binding is derived from this one. */
typedef struct qsc_device_kind {
  char name[4];        /* "X", "SM", ... */
  int32_t count;       /* cells of its area: QSMA_AREA_LARGE or QSMA_AREA_SMALL */
  uint8_t radix;       /* 16 (X Y B W) or 10 */
  uint8_t is_bit;      /* X Y M L B S SM, and T whose value is its contact */
  uint8_t writable;    /* written by name through SetSma: M X Y B S L Z D W */
  uint8_t has_comment; /* has a comment area: SM D M T X B L Y R W S */
  uint8_t forceable;   /* can be forced: X Y M L B S D W R Z */
  uint8_t indexable;   /* takes an index register: M B X Y D W */
  uint8_t has_bits;    /* has register bits (.0 to .15): D W */
  uint8_t reserved;
} qsc_device_kind;

/* The number of device kinds, and kind `index` (0 <= index < count; NULL
 * outside).  The order is the image's: X Y M L B S SM D W R Z T. */
QSC_EXPORT int32_t QSC_CALL qsc_device_kind_count(void);
QSC_EXPORT const qsc_device_kind *QSC_CALL qsc_device_kind_at(int32_t index);
/* The kind named `name` (upper case, "SM"), or NULL. */
QSC_EXPORT const qsc_device_kind *QSC_CALL qsc_device_kind_find(const char *name, size_t length);
/* Where a kind lies in the image, for reading it directly: its `count` cells
 * (for T the current values, Tcur), and its `count` comment entries of
 * QSMA_COMMENT_BYTES bytes each (NULL when the kind has none).  NULL for a
 * NULL image or a kind not given by the functions above.  Read only: writes
 * go through the checked write. */
QSC_EXPORT const int32_t *QSC_CALL qsc_device_cells(const MH_SHARED_STRUCTURE *image, const qsc_device_kind *kind);
QSC_EXPORT const char *QSC_CALL qsc_device_comments(const MH_SHARED_STRUCTURE *image, const qsc_device_kind *kind);

/* ---- Operands ----------------------------------------------------------- */

typedef enum qsc_operand_kind {
  QSC_OPERAND_CONSTANT = 0, /* K50: number holds the value */
  QSC_OPERAND_DIGITS = 1,   /* K4X0: digits groups of 4 bits from device/number */
  QSC_OPERAND_DEVICE = 2    /* X1F, D100.3, M10Z2 */
} qsc_operand_kind;

typedef struct qsc_operand {
  int32_t kind;           /* qsc_operand_kind */
  char device[4];         /* "X", "SM"; the bit device of a digit group; "" for K */
  int64_t number;         /* device number, or the constant's value */
  int32_t bit;            /* -1: no .bit suffix */
  int32_t index_register; /* -1: no Z suffix */
  int32_t digits;         /* digit group: 1..8 */
} qsc_operand;

/* What an operand is used for; each role accepts part of the grammar. */
typedef enum qsc_role {
  QSC_ROLE_VALUE = 0,         /* read as a value by the ladder */
  QSC_ROLE_MULDIV_VALUE = 1,  /* a source of multiply and divide: K, M, D or Z */
  QSC_ROLE_WRITE = 2,         /* written by device name (OUT, SET, RST) */
  QSC_ROLE_CELL = 3,          /* written through its cell (add and subtract) */
  QSC_ROLE_MULDIV_CELL = 4,   /* destination of multiply and divide: M, D or Z */
  QSC_ROLE_INCREMENT = 5,     /* INC and its pulse forms: D, W or Z */
  QSC_ROLE_DECREMENT = 6,     /* DECP: D or W */
  QSC_ROLE_TIMER = 7,         /* a timer coil T<n> */
  QSC_ROLE_PULSE_RELAY = 8,   /* the relay of PLS */
  QSC_ROLE_SHIFT_START = 9,   /* the first relay of BSFLP: M<n> */
  QSC_ROLE_SHIFT_LENGTH = 10, /* the length of BSFLP: K<n>, n >= 1 */
  QSC_ROLE_COMMENT = 11,      /* a device with a comment area */
  QSC_ROLE_MONITOR = 12,      /* read for display: VALUE plus digit groups of any bit device */
  QSC_ROLE_STORE = 13,        /* written by a client: WRITE plus digit groups of X Y M L B S */
  QSC_ROLE_ANY = 14           /* anything the grammar accepts */
} qsc_role;

/* Parses `text` and checks it suits `role`.  QSC_OK and *out filled, or
 * QSC_BAD_INPUT with the reason (which can follow the operand in a message:
 * "only D and W registers have bits"); *out is then unchanged. */
QSC_EXPORT int32_t QSC_CALL qsc_operand_parse(const char *text, size_t length, int32_t role, qsc_operand *out,
                                              char *error, size_t error_size);

/* The canonical text of an operand ("X1F", "K4X0", "D100.3", "M10Z2", "K50"). */
QSC_EXPORT size_t QSC_CALL qsc_operand_text(const qsc_operand *op, char *out, size_t size);
/* A plain device's text in its radix: ("X", 31) gives "X1F". */
QSC_EXPORT size_t QSC_CALL qsc_device_text(const char *device, int64_t number, char *out, size_t size);

/* A run of plain devices of one kind: device first..last, both included. */
typedef struct qsc_range {
  char device[4];
  int32_t first;
  int32_t last;
} qsc_range;

/* The cells an operand touches: a plain device or register bit its one cell,
 * a digit group 4 x digits cells; an index register suffix is resolved with
 * `z_value`.  QSC_OUTSIDE_AREA when they do not all lie inside the area
 * (*out is filled all the same), QSC_BAD_INPUT for a constant. */
QSC_EXPORT int32_t QSC_CALL qsc_operand_cells(const qsc_operand *op, int32_t z_value, qsc_range *out);

/* ---- Device lists ------------------------------------------------------- */

#define QSC_MAX_RANGE_DEVICES 10000

typedef struct qsc_list qsc_list;

enum { QSC_LIST_ALLOW_ALL = 1 /* accept the item "all" */ };

typedef enum qsc_item_kind {
  QSC_ITEM_RANGE = 0,   /* range holds it (a plain device is a range of one) */
  QSC_ITEM_OPERAND = 1, /* operand holds a register bit, indexed device or digit group */
  QSC_ITEM_ALL = 2
} qsc_item_kind;

typedef struct qsc_item {
  int32_t kind; /* qsc_item_kind */
  qsc_range range;
  qsc_operand operand;
} qsc_item;

/* Parses a list.  QSC_OK and *out (free with qsc_list_free), or QSC_BAD_INPUT
 * with a reason that names the item ("'D100..': last end '': empty operand"). */
QSC_EXPORT int32_t QSC_CALL qsc_list_parse(const char *text, size_t length, int32_t flags, qsc_list **out,
                                           char *error, size_t error_size);
QSC_EXPORT void QSC_CALL qsc_list_free(qsc_list *list);
/* The items in the order written. */
QSC_EXPORT size_t QSC_CALL qsc_list_item_count(const qsc_list *list);
QSC_EXPORT int32_t QSC_CALL qsc_list_item_at(const qsc_list *list, size_t index, qsc_item *out);
/* The operands the list stands for, in order: a range gives each of its
 * devices, an operand its canonical text, "all" nothing.  qsc_list_operand_at
 * gives operand `index` (0 <= index < qsc_list_operand_count) as text. */
QSC_EXPORT size_t QSC_CALL qsc_list_operand_count(const qsc_list *list);
QSC_EXPORT size_t QSC_CALL qsc_list_operand_at(const qsc_list *list, size_t index, char *out, size_t size);

/* ---- Write permissions -------------------------------------------------- */

/* A permission is parsed from a device list and grants exactly what it
 * names:
 *   ""             nothing
 *   "all"          every device
 *   D100..D199     whole cells: a write of any of them, bits included
 *   K4M0           the 16 cells M0..MF
 *   D100.3         that bit alone: a bit write of D100.3, never a write of
 *                  D100 or of another bit
 * An indexed item (M10Z2) names no fixed device and is refused. */
typedef struct qsc_permission qsc_permission;

QSC_EXPORT int32_t QSC_CALL qsc_permission_parse(const char *text, size_t length, qsc_permission **out,
                                                 char *error, size_t error_size);
QSC_EXPORT void QSC_CALL qsc_permission_free(qsc_permission *permission);
/* 1 when every one of `count` whole cells from `number` on is granted. */
QSC_EXPORT int32_t QSC_CALL qsc_permission_allows(const qsc_permission *permission, const char *device,
                                                  int64_t number, int64_t count);
/* 1 when bit `bit` of register `number` may be written on its own (its cell
 * granted whole, or that very bit). */
QSC_EXPORT int32_t QSC_CALL qsc_permission_allows_bit(const qsc_permission *permission, const char *device,
                                                      int64_t number, int32_t bit);
/* 1 when the permission grants nothing, or everything. */
QSC_EXPORT int32_t QSC_CALL qsc_permission_is_empty(const qsc_permission *permission);
QSC_EXPORT int32_t QSC_CALL qsc_permission_is_all(const qsc_permission *permission);

/* ---- The checked write -------------------------------------------------- */

/* What a checked write will write: the operand resolved once to fixed cells. */
typedef struct qsc_write_target {
  char operand[32]; /* the text written, index resolved: "D105", "D100.3", "K4M0" */
  char device[4];
  int32_t number;   /* the first cell */
  int32_t bit;      /* register bit, or -1 */
  int32_t cells;    /* cells written: 1, or 4 x digits for a digit group */
  int32_t value;
} qsc_write_target;

/* Checks a write of `value` to the operand `text` (role QSC_ROLE_WRITE, or
 * QSC_ROLE_STORE which adds digit groups): the operand is resolved once (an
 * index register read from `image` now), every cell it reaches must lie in
 * the area (QSC_OUTSIDE_AREA) and be granted by `permission` (QSC_NOT_ALLOWED;
 * a register bit needs that bit or its cell), and the value must suit it
 * (QSC_BAD_INPUT: 0 or 1 for a bit; 0 to 2^(4 x digits) - 1 for a digit
 * group, K8 also the negative values a read shows; a 32-bit signed value for
 * a register).  On QSC_OK *out says what qsc_write_apply will write, and
 * nothing was written yet. */
QSC_EXPORT int32_t QSC_CALL qsc_write_check(const MH_SHARED_STRUCTURE *image, const qsc_permission *permission,
                                            const char *text, size_t length, int32_t role, int64_t value,
                                            qsc_write_target *out, char *error, size_t error_size);
/* Writes exactly the cells of a checked target through SetSma: a digit group
 * bit by bit, a register bit as a bit write, never through an index register
 * again.  Value-change lines and retentive saves follow as for any SetSma.
 * QSC_FAILED when the core library raised a message box meanwhile (it refused
 * the write, or the retentive save failed), with its text as the reason; the
 * client library sees those only while it captures them
 * (qsc_messages_capture), and QSC_OK is then all it can tell. */
QSC_EXPORT int32_t QSC_CALL qsc_write_apply(const qsc_write_target *target, char *error, size_t error_size);
/* qsc_write_check, then qsc_write_apply when it passed. */
QSC_EXPORT int32_t QSC_CALL qsc_write(const MH_SHARED_STRUCTURE *image, const qsc_permission *permission,
                                      const char *text, size_t length, int32_t role, int64_t value, char *error,
                                      size_t error_size);

/* Reads a value typed by a person: decimal or 0x hexadecimal, optional sign,
 * blanks around it ignored.  Without QSC_VALUE_WIDE it is a 32-bit value
 * (0xFFFFFFFF is -1); with it, -0xFFFFFFFF to 0xFFFFFFFF unwrapped, for a
 * 32-bit digit group read unsigned.  QSC_BAD_INPUT for anything else. */
enum { QSC_VALUE_WIDE = 1 };
QSC_EXPORT int32_t QSC_CALL qsc_parse_value(const char *text, size_t length, int32_t flags, int64_t *out);

/* ---- Reading and formatting values -------------------------------------- */

typedef enum qsc_read_path {
  QSC_READ_LIBRARY = 0, /* as a ladder contact reads (GetSma): M B L D W also run
                           the value-change check, so a change is logged now */
  QSC_READ_IMAGE = 1    /* straight from the image, changing nothing */
} qsc_read_path;

typedef struct qsc_value {
  char operand[32];       /* canonical text */
  int32_t ok;             /* 0: an index register pointed outside the area */
  int32_t value;
  int32_t width;          /* bits that make the value: 1, 4 x digits, 16 or 32 */
  int32_t timer;          /* 1: the timer fields are set */
  int32_t timer_current;  /* units of 10 ms */
  int32_t timer_set;
  int32_t timer_coil;
  char comment[256];      /* CP949, terminated; "" when none */
} qsc_value;

/* Reads an operand accepted for QSC_ROLE_MONITOR (a constant reads as its
 * value; digit groups are read bit by bit from the image either way). */
QSC_EXPORT void QSC_CALL qsc_read_operand(const MH_SHARED_STRUCTURE *image, const qsc_operand *op, int32_t path,
                                          qsc_value *out);
/* Parses `text` first; QSC_BAD_INPUT with the reason when it is refused. */
QSC_EXPORT int32_t QSC_CALL qsc_read(const MH_SHARED_STRUCTURE *image, const char *text, size_t length,
                                     int32_t path, qsc_value *out, char *error, size_t error_size);

typedef enum qsc_format {
  QSC_FORMAT_DEC = 0, /* signed decimal: -5, 1234, 1 */
  QSC_FORMAT_HEX = 1, /* 0x and 4 digits for 16 bits, 8 beyond; bits and digit groups by their width */
  QSC_FORMAT_BIN = 2, /* 0b and the same widths in binary */
  QSC_FORMAT_U16 = 3  /* the low 16 bits, unsigned decimal */
} qsc_format;

/* "dec", "hex", "bin", "u16" to a qsc_format; -1 for anything else. */
QSC_EXPORT int32_t QSC_CALL qsc_format_parse(const char *text, size_t length);
/* The value as text in `format` ("1234", "0x04D2"); "error" when !ok. */
QSC_EXPORT size_t QSC_CALL qsc_format_value(const qsc_value *value, int32_t format, char *out, size_t size);
/* One JSON object:
 *   {"operand":"T0","value":1,"comment":"...","forced":false,
 *    "timer":{"current":120,"set":300,"coil":true}}
 * "value" a number for dec and u16 and a string for hex and bin; "comment"
 * UTF-8; "timer" for timers only; "error" in place of "value" when !ok. */
QSC_EXPORT size_t QSC_CALL qsc_value_json(const qsc_value *value, int32_t format, int32_t forced, char *out,
                                          size_t size);
/* One CSV line without its line end, the fields of qsc_csv_header():
 * operand,value,comment,forced,timer_current,timer_set,timer_coil. */
QSC_EXPORT size_t QSC_CALL qsc_value_csv(const qsc_value *value, int32_t format, int32_t forced, char *out,
                                         size_t size);
QSC_EXPORT const char *QSC_CALL qsc_csv_header(void);

/* ---- Comments and texts ------------------------------------------------- */

/* The longest comment, in CP949 bytes. */
#define QSC_COMMENT_MAX_BYTES 255

/* The comment of a device cell as stored (CP949, at most 255 bytes); "" when
 * the device has no comment area or the number lies outside it. */
QSC_EXPORT size_t QSC_CALL qsc_comment_of(const MH_SHARED_STRUCTURE *image, const char *device, int64_t number,
                                          char *out, size_t size);

/* Why the comment file could not be rewritten, after a comment editor
 * (smModifyMemoryComment, smModifyMemoryComment_FromFile) returned 0: "cannot
 * write PATH/Resource/Others/COMMENT.WCD: REASON", found by trying what the
 * library tried (reading the file, writing a file of its size beside it,
 * removed again), or the nearest this process can tell. */
QSC_EXPORT size_t QSC_CALL qsc_comment_write_failure(const MH_SHARED_STRUCTURE *image, char *out, size_t size);
/* Checks a comment given in UTF-8 and gives its CP949 bytes: no control
 * characters, only characters CP949 holds, at most QSC_COMMENT_MAX_BYTES
 * bytes in CP949.  `cp949` takes at least QSC_COMMENT_MAX_BYTES + 1 bytes. */
QSC_EXPORT int32_t QSC_CALL qsc_comment_from_utf8(const char *utf8, size_t length, char *cp949, size_t *cp949_length,
                                                  char *error, size_t error_size);
/* The same check of a comment already in CP949 (length and control bytes). */
QSC_EXPORT int32_t QSC_CALL qsc_comment_check(const char *cp949, size_t length, char *error, size_t error_size);

/* CP949 to UTF-8; bytes that are not valid CP949 become '?'. */
QSC_EXPORT size_t QSC_CALL qsc_cp949_to_utf8(const char *cp949, size_t length, char *out, size_t size);
/* UTF-8 to CP949.  QSC_BAD_INPUT when the text holds a character CP949
 * cannot store or is not valid UTF-8; *written is the length the result
 * needs (without terminator), QSC_OK only when it fitted. */
QSC_EXPORT int32_t QSC_CALL qsc_utf8_to_cp949(const char *utf8, size_t length, char *out, size_t size,
                                              size_t *written);
/* The comment entry of a device cell itself (QSMA_COMMENT_BYTES bytes), for
 * a program that restores comments into an image; NULL when the device has
 * no comment area or the number lies outside it. */
QSC_EXPORT char *QSC_CALL qsc_comment_entry(MH_SHARED_STRUCTURE *image, const char *device, int64_t number);
/* A UTF-8 text as a JSON string literal, quotes included; control bytes as
 * \u00XX. */
QSC_EXPORT size_t QSC_CALL qsc_json_string(const char *utf8, size_t length, char *out, size_t size);
/* Control bytes (below 0x20, and 0x7F) written as \r \n \t \xHH. */
QSC_EXPORT size_t QSC_CALL qsc_escape_controls(const char *text, size_t length, char *out, size_t size);

/* ---- The core library's messages ----------------------------------------- */

/* A receiver of the core library's message boxes: the text in CP949, and
 * first_time 1 the first time that text comes (an instruction with a bad
 * operand raises the same box on every scan). */
typedef void(QSC_CALL *qsc_message_sink)(const char *cp949, int32_t first_time, void *context);

/* Makes the client library the core's message sink (smSetMessageSink): every
 * message is counted, remembered (the first 64 distinct texts) and passed on
 * to `sink` when it is not NULL.  Checked writes tell failures by these
 * messages. */
QSC_EXPORT void QSC_CALL qsc_messages_capture(qsc_message_sink sink, void *context);
/* Messages since the capture began or was cleared. */
QSC_EXPORT int64_t QSC_CALL qsc_messages_count(void);
/* Distinct texts remembered, and text `index` with how often it came. */
QSC_EXPORT int32_t QSC_CALL qsc_messages_distinct(void);
QSC_EXPORT size_t QSC_CALL qsc_messages_at(int32_t index, int64_t *count, char *out, size_t size);
/* The latest message's text. */
QSC_EXPORT size_t QSC_CALL qsc_messages_last(char *out, size_t size);
QSC_EXPORT void QSC_CALL qsc_messages_clear(void);

/* ---- Value-change lines ------------------------------------------------- */

/* A value-change line as the library writes it into the mailbox,
 * "VC => M[0005]=0 => 1 \t: PUMP" (B and W numbers hexadecimal). */
typedef struct qsc_change {
  int32_t parsed;     /* 0: a line of another form; only line is set */
  char kind[4];       /* M B L D W */
  int64_t number;
  int32_t old_value;
  int32_t new_value;
  char comment[256];  /* CP949, terminated */
  char line[1025];    /* the whole line, CP949, terminated (the mailbox field holds 1,024 bytes) */
  int32_t line_length;
  int64_t taken_us;   /* when it was taken, microseconds since 1970 (UTC); 0 from qsc_change_parse */
} qsc_change;

/* Parses a line (CP949 bytes).  Never fails: a line of another form keeps
 * its text with parsed == 0. */
QSC_EXPORT void QSC_CALL qsc_change_parse(const char *line, size_t length, qsc_change *out);

/* Takes the pending line of the image's mailbox, if there is one, and parses
 * it in the same step: the line is copied, then LogLinePending is cleared so
 * that the library hands over the next.  QSC_OK with *out filled, or
 * QSC_NO_LINE.  Only the holder of the collector lock may take lines. */
QSC_EXPORT int32_t QSC_CALL qsc_change_take(MH_SHARED_STRUCTURE *image, qsc_change *out);

/* Waiting for the next line without polling.  On Linux the waiter sleeps on
 * LogLinePending with the futex system call and the core wakes it when it sets
 * the flag (the protocol is in quorsma.h, beside QSMA_COLLECTOR_WAITERS_OFFSET);
 * elsewhere it sleeps a millisecond and looks again. */
typedef struct qsc_waiter qsc_waiter;
QSC_EXPORT int32_t QSC_CALL qsc_waiter_open(MH_SHARED_STRUCTURE *image, qsc_waiter **out);
/* Returns once a line is pending, after about `timeout_us` microseconds
 * (maybe without a line), or earlier on a signal. */
QSC_EXPORT void QSC_CALL qsc_waiter_wait(qsc_waiter *waiter, int64_t timeout_us);
/* 1 when the waiter sleeps until woken, 0 when it polls. */
QSC_EXPORT int32_t QSC_CALL qsc_waiter_event_driven(const qsc_waiter *waiter);
QSC_EXPORT void QSC_CALL qsc_waiter_close(qsc_waiter *waiter);

/* The collector: the one program of a section that takes its value-change
 * lines.  qsc_collector_open takes the collector lock (below) and, with
 * QSC_COLLECT_ENABLE, switches logging on (LogEnable = 1) until it is closed,
 * when the earlier setting is put back.  QSC_BUSY with "another collector is
 * running (pid N)" when another process collects. */
typedef struct qsc_collector qsc_collector;
enum { QSC_COLLECT_ENABLE = 1 };
QSC_EXPORT int32_t QSC_CALL qsc_collector_open(MH_SHARED_STRUCTURE *image, int32_t flags, qsc_collector **out,
                                               char *error, size_t error_size);
/* Waits up to `timeout_us` microseconds (0: only looks) for the next line
 * and takes and parses it in one step (qsc_change_take): QSC_OK with *out
 * filled, or QSC_NO_LINE. */
QSC_EXPORT int32_t QSC_CALL qsc_collector_next(qsc_collector *collector, int64_t timeout_us, qsc_change *out);
QSC_EXPORT void QSC_CALL qsc_collector_close(qsc_collector *collector);

/* Sets LogEnable and returns the value it had. */
QSC_EXPORT int32_t QSC_CALL qsc_log_enable(MH_SHARED_STRUCTURE *image, int32_t enable);
/* A time as the collectors print it before a line, in local time:
 * "2026-12-08 04:36:03.123" for microseconds since 1970 (UTC). */
QSC_EXPORT size_t QSC_CALL qsc_local_time_text(int64_t microseconds, char *out, size_t size);

/* ---- The section and its files ------------------------------------------- */

/* The name of the section in use: QUORSMA_SECTION, or the default name. */
QSC_EXPORT size_t QSC_CALL qsc_section_name(char *out, size_t size);

/* Section locks: only one process at a time does a job that must not be
 * shared: "runner" (the ladder evaluation state is one per section),
 * "collector" (the mailbox holds one line at a time) and "communication"
 * (the program that moves field I/O).  The system releases a lock when its
 * holder ends, however it ends.
 *
 * Protocol (the same for every program that takes these locks, whatever its
 * language):
 *   dir     Linux: $QUORSMA_LOCK_DIR, else /dev/shm/quorsma-<uid> (<uid> the
 *           effective user id), made with mode 0700 when missing.  When the
 *           plant's group applies (QUORSMA_GROUP, else the group "quorsma"
 *           when it exists and this process is in it or is root; not when
 *           QUORSMA_GROUP is empty or QUORSMA_MODE leaves out group write),
 *           the default is /dev/shm/quorsma-group-<gid> instead, made with
 *           mode 2770, its new files 0660 and the group's.  A directory
 *           named by QUORSMA_LOCK_DIR must exist.  Each is refused unless it
 *           is a directory (not a symbolic link), not writable by others, and
 *           owned by this user (or, for QUORSMA_LOCK_DIR, by root; writable
 *           by its group is accepted) or, for the group's, of that group.  Windows: %QUORSMA_LOCK_DIR%, else the
 *           user's temporary directory.
 *   file    quorsma.<section>.<job>.lock in that directory; <section> is the
 *           section name with every character other than A-Z a-z 0-9 _ - .
 *           replaced by _.  Linux: opened without following a symbolic link
 *           and without waiting (O_NOFOLLOW | O_NONBLOCK), created with mode
 *           0600 (0660 in the group's directory), refused unless a regular
 *           file with one link; never removed.
 *   lock    Linux: a write lock on the whole file by fcntl, without waiting
 *           (an open-file-description lock; Python's fcntl.lockf(f, LOCK_EX |
 *           LOCK_NB) takes a classic record lock, and the two conflict).
 *           Windows: LockFileEx, exclusive, failing immediately, on the byte
 *           at offset 0x40000000, so that the pid below stays readable.
 *   holder  the holder writes its decimal pid and a newline at offset 0 and
 *           cuts the file there; a program finding the lock taken reads it
 *           for its message "another <job> is running (pid N)" ("another
 *           communication program is running (pid N)" for "communication"). */
typedef struct qsc_lock qsc_lock;
/* QSC_OK, QSC_BUSY (another process holds it) or QSC_FAILED (the directory
 * or the file could not be used), with the message. */
QSC_EXPORT int32_t QSC_CALL qsc_lock_acquire(const char *job, qsc_lock **out, char *error, size_t error_size);
QSC_EXPORT void QSC_CALL qsc_lock_release(qsc_lock *lock);
/* The lock directory, and the lock file of `job`, of the section in use. */
QSC_EXPORT size_t QSC_CALL qsc_lock_dir(char *out, size_t size);
QSC_EXPORT size_t QSC_CALL qsc_lock_path(const char *job, char *out, size_t size);

/* Small files that programs publish for others about a section, such as the
 * runner's statistics: quorsma.<section>.<name> in the lock directory.
 * `name` is 1 to 64 characters of A-Z a-z 0-9 _ - . that does not start with
 * '.', does not end in ".lock" or ".new" and is not "forces" (the force table
 * has functions of its own); any other is refused with QSC_BAD_INPUT.
 * qsc_section_file_write replaces the file whole: the bytes go to a new file
 * (never through an existing file or link) renamed over the old one, so a
 * reader finds the old file or the new one, never a part; in a group's lock
 * directory the file is the group's (0660).  At most
 * QSC_MAX_SECTION_FILE_BYTES.  QSC_OK, or QSC_FAILED with the reason.
 * qsc_section_file_read copies the file into `out` (up to `size` bytes) and
 * sets *length to its whole size: QSC_OK when it fitted, QSC_BAD_INPUT when
 * it did not (call again with *length bytes), QSC_MISSING when there is no
 * such file, QSC_FAILED when it is not a regular file of at most
 * QSC_MAX_SECTION_FILE_BYTES or cannot be read, with the reason.
 *
 * "communication.stats" is the communication program's station health:
 * "key value" lines of decimal integers, rewritten every half second and
 * once more at its end; readers skip keys they do not know:
 *   pid N, running 1 (0 once ended), updated_unix_ms N, stations N, and per
 *   station in the order of its configuration (names of A-Z a-z 0-9 _ - .):
 *   station.NAME.up (1 while it answers), station.NAME.failures
 *   (consecutive failed cycles), station.NAME.cycles (good cycles),
 *   station.NAME.failed_cycles (in all), station.NAME.cycle_us (the last
 *   good cycle's duration). */
#define QSC_MAX_SECTION_FILE_BYTES 1048576
QSC_EXPORT int32_t QSC_CALL qsc_section_file_write(const char *name, const void *bytes, size_t length, char *error,
                                                   size_t error_size);
QSC_EXPORT int32_t QSC_CALL qsc_section_file_read(const char *name, void *out, size_t size, size_t *length,
                                                  char *error, size_t error_size);

/* Forces: devices held at a value against the program, kept in the file
 * quorsma.<section>.forces of the lock directory:
 *   section <identity>
 *   X3 1
 *   D100 1234
 * <identity> names the section instance the forces were set on; a table of
 * another instance counts as empty, so forces end with the section.  Forced
 * devices are plain devices of X Y M L B S (0 or 1) and D W R Z (32 bits).
 * The runner writes forced inputs (X) into the image before each scan and
 * every other forced device after it, straight into the cells. */
typedef struct qsc_force {
  char device[4];
  int32_t number;
  int32_t value;
} qsc_force;
typedef struct qsc_forces qsc_forces;
/* An empty table, not yet loaded. */
QSC_EXPORT qsc_forces *QSC_CALL qsc_forces_new(void);
QSC_EXPORT void QSC_CALL qsc_forces_free(qsc_forces *forces);
/* Reads the table of the section in use (missing: empty).  QSC_BAD_INPUT when
 * the file is damaged (not a table, not a regular file, too large: saving
 * mends it), QSC_FAILED when it cannot be read; the table stays as it was. */
QSC_EXPORT int32_t QSC_CALL qsc_forces_load(qsc_forces *forces, char *error, size_t error_size);
/* Replaces the file whole. */
QSC_EXPORT int32_t QSC_CALL qsc_forces_save(const qsc_forces *forces, char *error, size_t error_size);
/* Between scans: reloads the file when it changed (one stat otherwise); the
 * length of the reason a changed file was refused (once per change; the
 * table stays as it was), 0 when there is none. */
QSC_EXPORT size_t QSC_CALL qsc_forces_refresh(qsc_forces *forces, char *refusal, size_t size);
QSC_EXPORT size_t QSC_CALL qsc_forces_count(const qsc_forces *forces);
QSC_EXPORT int32_t QSC_CALL qsc_forces_at(const qsc_forces *forces, size_t index, qsc_force *out);
/* Sets or replaces one force: QSC_BAD_INPUT for a device that cannot be
 * forced, a number outside its area, or a bit device's value other than 0 or 1. */
QSC_EXPORT int32_t QSC_CALL qsc_forces_set(qsc_forces *forces, const char *device, int32_t number, int32_t value);
/* 1 when the device had a force, which is removed. */
QSC_EXPORT int32_t QSC_CALL qsc_forces_clear(qsc_forces *forces, const char *device, int32_t number);
QSC_EXPORT void QSC_CALL qsc_forces_clear_all(qsc_forces *forces);
/* 1 and *value when the device is forced. */
QSC_EXPORT int32_t QSC_CALL qsc_forces_find(const qsc_forces *forces, const char *device, int32_t number,
                                            int32_t *value);
/* Writes the forced values into the image: inputs (X), the others, or both. */
enum { QSC_FORCE_INPUTS = 1, QSC_FORCE_OUTPUTS = 2 };
QSC_EXPORT void QSC_CALL qsc_forces_apply(const qsc_forces *forces, MH_SHARED_STRUCTURE *image, int32_t which);
/* Writes the force of one device into its cell now (0 when it has none). */
QSC_EXPORT int32_t QSC_CALL qsc_forces_apply_one(const qsc_forces *forces, MH_SHARED_STRUCTURE *image,
                                                 const char *device, int32_t number);
/* After a load refused as damaged: what is wrong with the file (its length;
 * 0 when the table is not damaged). */
QSC_EXPORT size_t QSC_CALL qsc_forces_damage(const qsc_forces *forces, char *out, size_t size);
/* The table's file. */
QSC_EXPORT size_t QSC_CALL qsc_forces_path(char *out, size_t size);
/* The largest table file read: 32 MiB, room for every forceable device. */
#define QSC_MAX_FORCE_FILE_BYTES (32u << 20)

/* ---- The running program, for monitors ------------------------------------ */

/* A runner publishes, beside the section in the lock directory:
 *   quorsma.<section>.program  once at its start: the run's identity, the
 *                              program's name and every instruction with its
 *                              line number, export name and operand texts
 *   quorsma.<section>.scan     several times a second: one whole scan (its
 *                              number), the result of every instruction after
 *                              it ran (1 when the result on top of the stack
 *                              was on, else 0) and the scan statistics
 * Both are text, replaced whole (a new file renamed over the old one), so a
 * reader finds one scan and never a mix of two; a scan file whose run is not
 * the program file's belongs to another run and is not paired with it.
 *   quorsma.<section>.scan.wanted  a reader's request: the Unix time in ms
 *                              when a monitor last read the scan
 * The runner records and publishes the scans only while a monitor has read
 * one within the last QSC_SCAN_WANTED_MS, so a runner nobody watches pays
 * nothing for it; a monitor's first reads may find an old scan (see its
 * updated_unix_ms) or none. */
#define QSC_SCAN_WANTED_MS 3000
#define QSC_MAX_INSTRUCTIONS 1000000
typedef struct qsc_instruction {
  int32_t line;            /* 1-based line of the program file */
  char name[16];           /* the export's name: "LD", "LAD_OUT", ... */
  char operands[3][48];    /* as written; "" where there is none */
} qsc_instruction;
typedef struct qsc_scan_state {
  int64_t run_id;
  int64_t scan;            /* scans done, this one included */
  int64_t updated_unix_ms;
  int64_t period_ns;       /* 0: back to back */
  int64_t scan_min_ns, scan_median_ns, scan_max_ns;
  int64_t overruns;
  size_t count;            /* instructions, and results */
} qsc_scan_state;
/* Writer: QSC_BAD_INPUT for an instruction whose texts do not fit its fields
 * (or hold a tab or line break), or more than QSC_MAX_INSTRUCTIONS;
 * QSC_FAILED when the file cannot be written. */
QSC_EXPORT int32_t QSC_CALL qsc_program_publish(int64_t run_id, const char *name, const qsc_instruction *list,
                                                size_t count, char *error, size_t error_size);
/* `results` holds state->count bytes. */
QSC_EXPORT int32_t QSC_CALL qsc_scan_publish(const qsc_scan_state *state, const uint8_t *results, char *error,
                                             size_t error_size);
/* Reader.  qsc_program_load: QSC_NO_LINE when no runner has published a
 * program on the section; QSC_BAD_INPUT for a damaged file; QSC_FAILED when
 * it cannot be read. */
typedef struct qsc_program qsc_program;
QSC_EXPORT int32_t QSC_CALL qsc_program_load(qsc_program **out, char *error, size_t error_size);
QSC_EXPORT void QSC_CALL qsc_program_free(qsc_program *program);
QSC_EXPORT int64_t QSC_CALL qsc_program_run_id(const qsc_program *program);
QSC_EXPORT size_t QSC_CALL qsc_program_name(const qsc_program *program, char *out, size_t size);
QSC_EXPORT size_t QSC_CALL qsc_program_count(const qsc_program *program);
QSC_EXPORT int32_t QSC_CALL qsc_program_at(const qsc_program *program, size_t index, qsc_instruction *out);
/* The last published scan: QSC_NO_LINE when there is none, QSC_BAD_INPUT for
 * a damaged file or more results than `capacity` (state->count says how
 * many), QSC_FAILED when it cannot be read.  Each call (at most once a second
 * per process) also asks the runner to go on publishing. */
QSC_EXPORT int32_t QSC_CALL qsc_scan_read(qsc_scan_state *state, uint8_t *results, size_t capacity, char *error,
                                          size_t error_size);
/* The runner's side: 1 when a monitor has read a scan within the last
 * QSC_SCAN_WANTED_MS before `now_unix_ms`, else 0. */
QSC_EXPORT int32_t QSC_CALL qsc_scan_wanted(int64_t now_unix_ms);

/* ---- Running as a service ----------------------------------------------- */

/* Tells the service manager that started this program (systemd, through the
 * socket that NOTIFY_SOCKET names) how the program is doing.  `state` holds
 * one or more assignments, one a line:
 *   READY=1            once the program serves: listening, or scanning
 *   STATUS=<one line>  what it is doing, shown by systemctl status
 *   WATCHDOG=1         from the main loop, at least every half of
 *                      qsc_service_watchdog_usec() when that is not 0
 *   STOPPING=1         when it begins to stop
 * Without NOTIFY_SOCKET (a program started by hand) nothing is sent and 0 is
 * returned; 1 when sent, -1 when sending failed.  Windows: always 0. */
QSC_EXPORT int32_t QSC_CALL qsc_service_notify(const char *state);
/* The watchdog interval in microseconds that the service manager set for
 * this process (WatchdogSec, through WATCHDOG_USEC); 0 when it watches
 * nothing. */
QSC_EXPORT int64_t QSC_CALL qsc_service_watchdog_usec(void);
/* Says "WATCHDOG=1" when the service manager watches this process and a
 * third of its interval has passed since the last one, so that a loop may
 * call it on every pass (from any thread): without a watchdog it costs a
 * load and a compare, with one a clock read.  A loop that calls it must pass
 * at least every third of the interval, idle or not.  1 when sent, else 0.
 * Windows: always 0. */
QSC_EXPORT int32_t QSC_CALL qsc_service_alive(void);

#ifdef __cplusplus
}  /* extern "C" */
#endif

/* C++ callers get value types and std::string forms of the same functions. */
#if defined(__cplusplus) && !defined(QSC_NO_CXX)
#include "quorsma/client.hpp"
#endif

#endif /* QUORSMA_CLIENT_H */
