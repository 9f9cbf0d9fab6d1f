@echo off
rem Registers the product's capture filters. The tools and recording programs
rem are 32-bit, so everything goes into the 32-bit registry view. One reg
rem import instead of one reg call per key keeps the batch quick: three reg
rem calls in all.
rem
rem The .reg file is Unicode, so that a folder of any name is registered as it
rem is: echo in a console writes the console's code page, which is not the
rem one reg import reads an 8-bit .reg file in. reg add takes its data as
rem Unicode, and the export of that first key starts the file with what echo
rem cannot write (byte order mark and header); a "cmd /u" shell, whose echo
rem writes UTF-16, appends the keys. Failures are tested with "if errorlevel":
rem Wine's cmd runs what follows "||" whatever the result.
setlocal
if "%~1"=="/append" goto append
set "bin=%~dp0"
set "file=%TEMP%\install_filters_%RANDOM%.reg"
set "first=HKCR\CLSID\{7B81AA5B-F527-4EDA-BB30-890D95F1AB51}\InprocServer32"
reg add "%first%" /ve /d "%bin%capture_filters.ax" /reg:32 /f >nul
if errorlevel 1 exit /b 1
reg export "%first%" "%file%" /reg:32 /y >nul
if errorlevel 1 exit /b 1
cmd /d /u /c ""%~f0" /append"
reg import "%file%" /reg:32
set "result=%errorlevel%"
del "%file%"
exit /b %result%

:append
set "bin=%bin:\=\\%"
for %%c in ({7B81AA5B-F527-4EDA-BB30-890D95F1AB51} {27EC3D38-5073-4A00-A4DE-8990EE26E778} ^
    {B5EBEDD9-67A7-4FE7-9E03-38851EEA8906} {93F704CE-C7DB-4AD3-89BB-04C76EF3F502} ^
    {CB82D7FC-B515-4112-AC57-0B76AA632CC5} {614FBDDE-69B4-4550-B0BF-295820278B17} ^
    {6E1EDBEC-46DE-43DE-8F32-48512DD46EB0} {1D00BAA4-D8C1-44AA-9034-09E8ABE537EA} ^
    {63D4086A-8D38-4076-AA03-B9A8B22913E8} {41C54F2A-FE71-4F01-9D87-6B534350E21F} ^
    {CFF2A052-6F56-4D8B-AEBB-A42A3E3BB520} {365975CB-7C71-4273-ACF5-B5227AB61952} ^
    {667B5EFB-3A51-4E09-BADE-B8F1C61E0E5C} {F3EE9666-9BF5-4DF3-B4AF-9432C5915358}) do (
  >> "%file%" echo [HKEY_CLASSES_ROOT\CLSID\%%c\InprocServer32]
  >> "%file%" echo @="%bin%capture_filters.ax"
  >> "%file%" echo "ThreadingModel"="Both"
)
>> "%file%" echo [HKEY_CLASSES_ROOT\CLSID\{B018ABBC-6DE4-4303-A813-E844D086390D}\InprocServer32]
>> "%file%" echo @="%bin%audio_capture.ax"
>> "%file%" echo "ThreadingModel"="Both"
>> "%file%" echo [HKEY_CLASSES_ROOT\Wow6432Node\CLSID\{33D9A762-90C8-11d0-BD43-00A0C911CE86}\Instance\{B018ABBC-6DE4-4303-A813-E844D086390D}]
>> "%file%" echo "FriendlyName"="virtual-audio-capturer"
>> "%file%" echo "CLSID"="{B018ABBC-6DE4-4303-A813-E844D086390D}"
for %%c in ({82E43400-D42B-4083-9E0E-1A621B576046} {B9EDB4EB-9F92-4E78-885A-23E7656FDB4E}) do (
  >> "%file%" echo [HKEY_CLASSES_ROOT\CLSID\%%c\InprocServer32]
  >> "%file%" echo @="%bin%lumora_filters.ax"
  >> "%file%" echo "ThreadingModel"="Both"
)
exit /b 0
