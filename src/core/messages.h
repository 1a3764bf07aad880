// Fixed texts of the system: message-box texts, trace lines and line formats.
// Every text is stored as the CP949 bytes that reach the host; the Korean
// original of each escaped text is shown in the comment above it.
#pragma once

namespace quorsma::text {

// ---- Texts with Korean words (CP949 bytes) ----

// smSethWndComm() failed!! 통신을 담당하는 윈도우가 이미 실행중입니다.\r\n
inline constexpr char kTraceHwndCommBusy[] =
    "smSethWndComm() failed!! \xC5\xEB\xBD\xC5\xC0\xBB \xB4\xE3\xB4\xE7\xC7\xCF\xB4\xC2 \xC0\xA9\xB5\xB5\xBF\xEC\xB0\xA1 \xC0\xCC\xB9\xCC \xBD\xC7\xC7\xE0\xC1\xDF\xC0\xD4\xB4\xCF\xB4\xD9.\r\n";

// ResolveOP ==>>  K다음에 바로 Z가 올수는 없습니다.
inline constexpr char kMsgResolveOpKThenZ[] =
    "ResolveOP ==>>  K\xB4\xD9\xC0\xBD\xBF\xA1 \xB9\xD9\xB7\xCE Z\xB0\xA1 \xBF\xC3\xBC\xF6\xB4\xC2 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9.";

// GetPoint Error(유효한 디바이스가 아닙니다.)
inline constexpr char kMsgGetPointError[] =
    "GetPoint Error(\xC0\xAF\xC8\xBF\xC7\xD1 \xB5\xF0\xB9\xD9\xC0\xCC\xBD\xBA\xB0\xA1 \xBE\xC6\xB4\xD5\xB4\xCF\xB4\xD9.)";

// LAD_MULTIPLY Error!!(세번째 인자에는 K디바이스가 올 수 없습니다.
inline constexpr char kMsgMultiplyConstDest[] =
    "LAD_MULTIPLY Error!!(\xBC\xBC\xB9\xF8\xC2\xB0 \xC0\xCE\xC0\xDA\xBF\xA1\xB4\xC2 K\xB5\xF0\xB9\xD9\xC0\xCC\xBD\xBA\xB0\xA1 \xBF\xC3 \xBC\xF6 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9.";

// LADALL_DIVIDE Error!!(세번째 인자에는 K디바이스가 올 수 없습니다.
inline constexpr char kMsgDivideConstDest[] =
    "LADALL_DIVIDE Error!!(\xBC\xBC\xB9\xF8\xC2\xB0 \xC0\xCE\xC0\xDA\xBF\xA1\xB4\xC2 K\xB5\xF0\xB9\xD9\xC0\xCC\xBD\xBA\xB0\xA1 \xBF\xC3 \xBC\xF6 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9.";

// INC Error!!(디바이스 'D','W','Z'만 적용됩니다.)
inline constexpr char kMsgIncError[] =
    "INC Error!!(\xB5\xF0\xB9\xD9\xC0\xCC\xBD\xBA 'D','W','Z'\xB8\xB8 \xC0\xFB\xBF\xEB\xB5\xCB\xB4\xCF\xB4\xD9.)";

// DEC(char *in1) failed D,W에대해서만 구현함.
inline constexpr char kMsgDecError[] =
    "DEC(char *in1) failed D,W\xBF\xA1\xB4\xEB\xC7\xD8\xBC\xAD\xB8\xB8 \xB1\xB8\xC7\xF6\xC7\xD4.";

// %s 파일을 열 수 없습니다.\r\n
inline constexpr char kFmtCannotOpenFile[] =
    "%s \xC6\xC4\xC0\xCF\xC0\xBB \xBF\xAD \xBC\xF6 \xBE\xF8\xBD\xC0\xB4\xCF\xB4\xD9.\r\n";

// %s 새로운 파일을 생성해야합니다.
inline constexpr char kFmtMustCreateNewFile[] =
    "%s \xBB\xF5\xB7\xCE\xBF\xEE \xC6\xC4\xC0\xCF\xC0\xBB \xBB\xFD\xBC\xBA\xC7\xD8\xBE\xDF\xC7\xD5\xB4\xCF\xB4\xD9.";

// ---- Segment lifecycle ----
inline constexpr char kTraceAttach[] = "SMA.DLL Initializing!\r\n";
inline constexpr char kTraceDetach[] = "SMDLLDLL.DLL Terminating!\r\n";
inline constexpr char kTraceCreateFailed[] = "SMA Error! \r\n Shared Memory creation failed!";
inline constexpr char kTraceMapFailed[] = "SMA Error! \r\n MH_SHARED_STRUCTURE Pointer creation failed!!";
inline constexpr char kSectionName[] = "__QR_SMA__";

// ---- Operand resolution and device access ----
inline constexpr char kFmtTraceGetIndex[] = "GetIndex( char* in ) %s\n";
inline constexpr char kMsgGetIndexOver20[] = "GetIndex D....15>index...!";
inline constexpr char kMsgGetSmaPlain[] = "GetSma( char* in ) iKchk == 0 && ichkspc == 0 Error";
inline constexpr char kMsgGetSmaD[] = "GetSma( char* in ) *in == 'D' Error";
inline constexpr char kMsgGetSmaW[] = "GetSma( char* in ) *in == 'W' Error";
inline constexpr char kFmtTraceGetSma[] = "GetSma( char* in ) %s\n";
inline constexpr char kMsgGetValue2Word[] = "GetSma( char* in ) Error";
inline constexpr char kMsgTimerGet[] = " TimerT Number Error ";
inline constexpr char kMsgTimerSet[] = " TimerS Number Error ";
inline constexpr char kMsgSetValue[] = "SetValue( char* in1 , char* in2) Error";
inline constexpr char kMsgSetBitOverD[] = "SetValue():Outover D....15>iIndex...!";
inline constexpr char kMsgSetBitOverW[] = "SetValue():Outover W....15>iIndex...!";

// ---- Ladder instructions ----
inline constexpr char kMsgLadOut[] = "LAD_OUT( char* in1 , char* in2) Error";
inline constexpr char kMsgBsflpFormat[] = "BSFLP Error(Invalid Format)";
inline constexpr char kMsgBsflpRange[] = "BSFLP Error(Out of Rage)";
inline constexpr char kMsgBsflpDevice[] = "BSFLP Error(Invalid Device)";

// ---- Configuration, retentive registers, value-change log ----
inline constexpr char kFmtKeyIsNull[] = "%s is NULL!!";
inline constexpr char kFmtPathTooLong[] = "%s is longer than %d characters: that directory is not used";
inline constexpr char kFmtLogM[] = "VC => M[%04d]=%d => %d \t: %s";
inline constexpr char kFmtLogB[] = "VC => B[%04X]=%d => %d \t: %s";
inline constexpr char kFmtLogL[] = "VC => L[%04d]=%d => %d \t: %s";
inline constexpr char kFmtLogW[] = "VC => W[%04X]=%d => %d \t: %s";
inline constexpr char kFmtLogD[] = "VC => D[%04d]=%d => %d \t: %s";
inline constexpr char kFmtCannotSave[] = "%s could not be saved: %s";

// ---- Comments ----
inline constexpr char kTraceNoCommentFile[] = "NO FILE - COMMENT";
inline constexpr char kTraceNoMemoryFile[] = "NO FILE - MEMORY";
inline constexpr char kMsgModifyComment[] = "BOOL WINAPI smModifyMemoryComment(ON SMA)";
inline constexpr char kFmtImportError[] = "smModifyMemoryComment_FromFile Error %s %s";

}  // namespace quorsma::text
