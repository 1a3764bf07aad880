// File, section and key names of the configuration subsystem's files.
#pragma once

namespace quorsma::config::names {

// _Configuration/_Configuration.ini beside the host executable.
inline constexpr char kConfigDir[] = "_Configuration";
inline constexpr char kConfigFile[] = "_Configuration.ini";
// Names a configuration file to read in place of that one.
inline constexpr char kConfigVariable[] = "QUORSMA_CONFIG";
// Read on Linux when there is no configuration beside the executable: the
// system's configuration, which a program built against the installed
// library finds without being told.
inline constexpr char kSystemConfigFile[] = "/etc/quorsma/_Configuration.ini";

// The section of the configuration file that holds the keys below.
inline constexpr char kConfigSection[] = "LAST_LIST_SETTING";
// Configuration keys, in the order they are read.
inline constexpr char kKeyEqpName[] = "EQP_NAME";
inline constexpr char kKeyProgramVer[] = "PROGRAM_VER";
inline constexpr char kKeyRecipeCurName[] = "RECIPE_CUR_NAME";
inline constexpr char kKeyRecipeCurNumber[] = "RECIPE_CUR_NUMBER";
inline constexpr char kKeyMemParaPath[] = "MEM_PARA_PATH";
inline constexpr char kKeyMemPlcPath[] = "MEM_PLC_PATH";
inline constexpr char kKeySettingDir[] = "QuorUSC__DIRECTORY_SETTING";
inline constexpr char kKeyLogDir[] = "QuorUSC__DIRECTORY_LOG";

// Retentive data registers and write-check cells, in the memory-parameter
// directory.
inline constexpr char kRetentiveFile[] = "_DIO_DV.ini";
inline constexpr char kRetentiveSection[] = "MODULE_DV";
inline constexpr char kFmtRetentiveKey[] = "D%06d";
inline constexpr char kWriteCheckFile[] = "_DIO_WrDChk.ini";
inline constexpr char kWriteCheckSection[] = "MODULE_WrDChk";
inline constexpr char kFmtWriteCheckKey[] = "WrDChk%06d";
// The Set_Map kind that saves the write-check cells.
inline constexpr char kWriteCheckKind[] = "WrDChk";

// Memory exclusion settings, in the memory-parameter directory.
inline constexpr char kExclusionFile[] = "_MEM_SMEF.ini";

}  // namespace quorsma::config::names
