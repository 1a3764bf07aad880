@echo off
rem Writes the configuration of this unpacked folder: the tool here reads
rem _Configuration\_Configuration.ini, naming the data directories beside it.
rem Run once after unpacking, and again after moving the folder.
setlocal
set "HERE=%~dp0"
set "DATA=%HERE%installation"
if not exist "%HERE%_Configuration" mkdir "%HERE%_Configuration"
> "%HERE%_Configuration\_Configuration.ini" (
  echo ; The configuration of this QuorSMA folder ^(written by configure.cmd^).
  echo [LAST_LIST_SETTING]
  echo EQP_NAME=QuorSMA
  echo PROGRAM_VER=@VERSION@
  echo RECIPE_CUR_NAME=DEMO
  echo RECIPE_CUR_NUMBER=1
  echo MEM_PARA_PATH=%DATA%\param
  echo MEM_PLC_PATH=%DATA%\plc
  echo QuorUSC__DIRECTORY_SETTING=%DATA%\setting
  echo QuorUSC__DIRECTORY_LOG=%DATA%\log
)
if errorlevel 1 (
  echo configure.cmd: cannot write "%HERE%_Configuration\_Configuration.ini"
  exit /b 1
)
echo configure.cmd: wrote "%HERE%_Configuration\_Configuration.ini"
