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

/* Element counts of the device areas. */
#define QSMA_AREA_SMALL 65535
#define QSMA_AREA_LARGE 131071
#define QSMA_COMMENT_BYTES 256

/* Window handles cross the interface as 32-bit values. */
typedef int32_t QSMA_HWND;

/* The shared image.  Device areas hold one int32 per device point; comment
 * areas one 256-byte NUL-terminated text per device.  Reserved stretches are
 * never touched by the library and only keep the later offsets in place. */
#pragma pack(push, 4)
typedef struct MH_SHARED_STRUCTURE {
  int32_t  Z[65535];  /* 0x00000000 */
  int32_t  M[131071];  /* 0x0003FFFC */
  int32_t  Reserved000BFFF8[131071];  /* 0x000BFFF8 */
  int32_t  D[131071];  /* 0x0013FFF4 */
  int32_t  WrDChk[131071];  /* 0x001BFFF0 */
  int32_t  S[65535];  /* 0x0023FFEC */
  int32_t  SM[65535];  /* 0x0027FFE8 */
  int32_t  L[131071];  /* 0x002BFFE4 */
  int32_t  R[65535];  /* 0x0033FFE0 */
  int32_t  B[131071];  /* 0x0037FFDC */
  int32_t  W[131071];  /* 0x003FFFD8 */
  int32_t  Tcur[65535];  /* 0x0047FFD4 */
  int32_t  X[65535];  /* 0x004BFFD0 */
  int32_t  Y[65535];  /* 0x004FFFCC */
  int32_t  Reserved0053FFC8[65535];  /* 0x0053FFC8 */
  int32_t  Reserved0057FFC4[65535];  /* 0x0057FFC4 */
  int32_t  Tset[65535];  /* 0x005BFFC0 */
  int32_t  Tcoil[65535];  /* 0x005FFFBC */
  int32_t  Kscratch;  /* 0x0063FFB8 */
  uint8_t  Reserved0063FFBC[4];  /* 0x0063FFBC */
  char     CommentM[131071][256];  /* 0x0063FFC0 */
  char     CommentD[131071][256];  /* 0x0263FEC0 */
  char     CommentT[131071][256];  /* 0x0463FDC0 */
  char     CommentX[131071][256];  /* 0x0663FCC0 */
  char     CommentY[131071][256];  /* 0x0863FBC0 */
  char     CommentAD[131071][256];  /* 0x0A63FAC0 */
  char     CommentDA[131071][256];  /* 0x0C63F9C0 */
  char     CommentB[131071][256];  /* 0x0E63F8C0 */
  char     CommentW[131071][256];  /* 0x1063F7C0 */
  char     CommentU[25][500][256];  /* 0x1263F6C0 */
  char     CommentTMP[131071][256];  /* 0x1294CAC0 */
  char     Reserved1494C9C0[131071][256];  /* 0x1494C9C0 */
  char     CommentSM[131071][256];  /* 0x1694C8C0 */
  char     CommentS[131071][256];  /* 0x1894C7C0 */
  char     CommentL[131071][256];  /* 0x1A94C6C0 */
  char     CommentR[131071][256];  /* 0x1C94C5C0 */
  char     Reserved1E94C4C0[131071][256];  /* 0x1E94C4C0 */
  uint8_t  Reserved2094C3C0[11232];  /* 0x2094C3C0 */
  int32_t  LogPrevM[131071];  /* 0x2094EFA0 */
  int32_t  LogPrevD[131071];  /* 0x209CEF9C */
  int32_t  Reserved20A4EF98[131071];  /* 0x20A4EF98 */
  int32_t  LogPrevL[131071];  /* 0x20ACEF94 */
  int32_t  Reserved20B4EF90[131071];  /* 0x20B4EF90 */
  int32_t  LogPrevB[131071];  /* 0x20BCEF8C */
  int32_t  LogPrevW[131071];  /* 0x20C4EF88 */
  int32_t  TcurCopy[65535];  /* 0x20CCEF84 */
  uint8_t  Reserved20D0EF80[1048560];  /* 0x20D0EF80 */
  int32_t  TsetCopy[65535];  /* 0x20E0EF70 */
  uint8_t  Reserved20E4EF6C[7340008];  /* 0x20E4EF6C */
  int32_t  NoLogM[131071];  /* 0x2154EF54 */
  int32_t  NoLogB[131071];  /* 0x215CEF50 */
  int32_t  NoLogD[131071];  /* 0x2164EF4C */
  int32_t  NoLogS[131071];  /* 0x216CEF48 */
  int32_t  NoLogL[131071];  /* 0x2174EF44 */
  int32_t  NoLogR[65535];  /* 0x217CEF40 */
  int32_t  NoLogW[131071];  /* 0x2180EF3C */
  int32_t  NoLogX[65535];  /* 0x2188EF38 */
  int32_t  NoLogY[65535];  /* 0x218CEF34 */
  char     MemParaPath[1024];  /* 0x2190EF30 */
  char     MemPlcPath[1024];  /* 0x2190F330 */
  char     ModuleDir[1024];  /* 0x2190F730 */
  char     SettingDir[1024];  /* 0x2190FB30 */
  char     LogDir[1024];  /* 0x2190FF30 */
  char     EqpName[1024];  /* 0x21910330 */
  char     RecipeCurName[1024];  /* 0x21910730 */
  char     RecipeCurNumber[1024];  /* 0x21910B30 */
  char     ProgramVer[1024];  /* 0x21910F30 */
  char     Reserved21911330[1024];  /* 0x21911330 */
  char     LogLine[1024];  /* 0x21911730 */
  int32_t  LogEnable;  /* 0x21911B30 */
  int32_t  LogLinePending;  /* 0x21911B34 */
  int32_t  hWndMsg;  /* 0x21911B38 */
  uint8_t  Reserved21911B3C[4456412];  /* 0x21911B3C */
  int32_t  PulseSlot;  /* 0x21D51B18 */
  int32_t  Reserved21D51B1C[8];  /* 0x21D51B1C */
  int32_t  PulseMemory[131071];  /* 0x21D51B3C */
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

/* The record that ResolveOP fills (152 bytes, no gaps). */
typedef struct ResolvedOperand {
  char text[64];
  char device[4];
  int32_t isHex;
  int32_t isWord;
  int32_t isBit;
  char constText[11];
  char numberText[22];
  char indexText[11];
  int32_t hasPrefix;
  int32_t kPending;
  int32_t hasIndex;
  int32_t constValue;
  int32_t number;
  int32_t bit;
  int32_t indexNumber;
} ResolvedOperand;

/* Receives message-box texts or trace lines (CP949 bytes, as formatted). */
typedef void(QSMA_CDECL *QsmaTextSink)(const char *text, void *context);

/* ---- Segment and handles ---- */
QSMA_EXPORT int32_t QSMA_API smCreateSharedMemory(void);
QSMA_EXPORT void QSMA_API smDelateSharedMemory(void);
QSMA_EXPORT MH_SHARED_STRUCTURE **QSMA_API smGetMemoryPointer(MH_SHARED_STRUCTURE **pointer);
QSMA_EXPORT void QSMA_API smSethWndComm(QSMA_HWND hwnd);
QSMA_EXPORT QSMA_HWND QSMA_API smGethWndComm(void);
QSMA_EXPORT void QSMA_API smSethWndMsg(QSMA_HWND hwnd);
QSMA_EXPORT QSMA_HWND QSMA_API smGethWndMsg(void);
/* Message boxes and trace lines go to these sinks when set; a null sink
 * restores the default (a modal box / the debugger output on Windows; standard
 * error for boxes, and for traces when QUORSMA_TRACE=stderr, on Linux). */
QSMA_EXPORT void QSMA_API smSetMessageSink(QsmaTextSink sink, void *context);
QSMA_EXPORT void QSMA_API smSetTraceSink(QsmaTextSink sink, void *context);

/* ---- Operands ---- */
QSMA_EXPORT int32_t QSMA_API GetIndex(const char *operand);
QSMA_EXPORT int32_t QSMA_API ResolveOP(const char *operand, ResolvedOperand *record);

/* ---- Device read ---- */
QSMA_EXPORT int32_t QSMA_API GetSma(const char *operand);
QSMA_EXPORT int32_t QSMA_API GetValue2Word(const char *operand);
QSMA_EXPORT int32_t *QSMA_API SmaGetPoint(const char *operand);
QSMA_EXPORT char *QSMA_API GetComSma(const char *operand);
QSMA_EXPORT int32_t QSMA_API SmaTGet(int32_t timer);

/* ---- Device write ---- */
QSMA_EXPORT void QSMA_API SetSma(const char *operand, int32_t value);
QSMA_EXPORT void QSMA_API SmaTSet(int32_t timer, int32_t setValue);
QSMA_EXPORT int32_t QSMA_API SM(int32_t relay);

/* ---- Ladder: result stack and basic contacts ---- */
QSMA_EXPORT void QSMA_API Push(int32_t value);
QSMA_EXPORT int32_t QSMA_API Pop_p(void);
QSMA_EXPORT void QSMA_API LD(const char *operand);
QSMA_EXPORT void QSMA_API LDI(const char *operand);
QSMA_EXPORT void QSMA_API AND(const char *operand);
QSMA_EXPORT void QSMA_API ANI(const char *operand);
QSMA_EXPORT void QSMA_API OR(const char *operand);
QSMA_EXPORT void QSMA_API ORI(const char *operand);
QSMA_EXPORT void QSMA_API INV(void);
QSMA_EXPORT void QSMA_API END(void);

/* ---- Ladder: blocks and branches ---- */
QSMA_EXPORT void QSMA_API ANB(void);
QSMA_EXPORT void QSMA_API ORB(void);
QSMA_EXPORT void QSMA_API MPS(void);
QSMA_EXPORT void QSMA_API MRD(void);
QSMA_EXPORT void QSMA_API MPP(void);

/* ---- Ladder: edges ---- */
QSMA_EXPORT int32_t QSMA_API CheckPulse(int32_t input);
QSMA_EXPORT int32_t QSMA_API LDP(const char *operand);
QSMA_EXPORT int32_t QSMA_API LDF(const char *operand);
QSMA_EXPORT int32_t QSMA_API ANDP(const char *operand);
QSMA_EXPORT int32_t QSMA_API ANDF(const char *operand);
QSMA_EXPORT int32_t QSMA_API ORP(const char *operand);
QSMA_EXPORT int32_t QSMA_API ORF(const char *operand);
QSMA_EXPORT void QSMA_API MEP(void);

/* ---- Ladder: comparisons (first operand on the left) ---- */
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

/* ---- Ladder: outputs ---- */
QSMA_EXPORT void QSMA_API LAD_OUT(const char *operand, const char *setValue);
QSMA_EXPORT void QSMA_API SET(const char *operand);
QSMA_EXPORT void QSMA_API RST(const char *operand);
QSMA_EXPORT void QSMA_API PLS(const char *operand, const char *setValue);

/* ---- Ladder: arithmetic ---- */
QSMA_EXPORT void QSMA_API LAD_PLUS(const char *first, const char *second, const char *destination);
QSMA_EXPORT void QSMA_API LAD_MINUS(const char *first, const char *second, const char *destination);
QSMA_EXPORT void QSMA_API LAD_MULTIPLY(const char *first, const char *second, const char *destination);
QSMA_EXPORT void QSMA_API LADALL_DIVIDE(const char *first, const char *second, const char *destination);
QSMA_EXPORT void QSMA_API INC(const char *operand);
QSMA_EXPORT void QSMA_API INCP(const char *operand);
QSMA_EXPORT void QSMA_API DINCP(const char *operand);
QSMA_EXPORT void QSMA_API DECP(const char *operand);

/* ---- Ladder: bit shift ---- */
QSMA_EXPORT void QSMA_API BSFLP(const char *device, const char *count);

/* ---- Value-change log and retentive registers ---- */
QSMA_EXPORT void QSMA_API smLogWrite_M(int32_t index);
QSMA_EXPORT void QSMA_API smLogWrite_B(int32_t index);
QSMA_EXPORT void QSMA_API smLogWrite_L(int32_t index);
QSMA_EXPORT void QSMA_API smLogWrite_D(int32_t index);
QSMA_EXPORT void QSMA_API smLogWrite_W(int32_t index);
QSMA_EXPORT int32_t QSMA_API Set_Map(const char *kind, int32_t index, int32_t value);

/* ---- Comments (C calling convention) ---- */
QSMA_EXPORT int32_t QSMA_CDECL smModifyMemoryComment(const char *kind, int32_t number, const char *comment);
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
