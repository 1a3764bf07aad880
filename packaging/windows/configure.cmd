@echo off
rem Writes the configuration of this unpacked folder: the tool here reads
rem _Configuration\_Configuration.ini, naming the data directories beside it.
rem Run once after unpacking, and again after moving the folder.
setlocal
set "HERE=%~dp0"
set "DATA=%HERE%installation"
if not exist "%HERE%_Configuration" mkdir "%HERE%_Configuration"
rem The redirections come first: a digit before ">" would name a handle.
set "INI=%HERE%_Configuration\_Configuration.ini"
> "%INI%" echo ; The configuration of this QuorSMA folder, written by configure.cmd
if errorlevel 1 goto failed
>> "%INI%" echo [LAST_LIST_SETTING]
>> "%INI%" echo EQP_NAME=QuorSMA
>> "%INI%" echo PROGRAM_VER=@VERSION@
>> "%INI%" echo RECIPE_CUR_NAME=DEMO
>> "%INI%" echo RECIPE_CUR_NUMBER=1
>> "%INI%" echo MEM_PARA_PATH=%DATA%\param
>> "%INI%" echo MEM_PLC_PATH=%DATA%\plc
>> "%INI%" echo QuorUSC__DIRECTORY_SETTING=%DATA%\setting
>> "%INI%" echo QuorUSC__DIRECTORY_LOG=%DATA%\log
if errorlevel 1 goto failed
echo configure.cmd: wrote "%INI%"
exit /b 0
:failed
echo configure.cmd: cannot write "%INI%"
exit /b 1
