' A client of the installed server: creates qnrZip.cAsyncZip by its ProgID
' and runs a zip job of one file. The job runs in the server after Zip
' returns; the script waits for the archive to appear and settle.
' Arguments: the archive to write, the file to put in it.
Option Explicit
Dim zipper, fso, started, lastSize
Set fso = CreateObject("Scripting.FileSystemObject")
Set zipper = CreateObject("qnrZip.cAsyncZip")
zipper.ZipFile = WScript.Arguments(0)
If zipper.AddFileSpec(WScript.Arguments(1)) <> 0 Then WScript.Quit 2
zipper.Zip
started = Timer
lastSize = -1
Do While Timer - started < 20
    If fso.FileExists(WScript.Arguments(0)) Then
        If fso.GetFile(WScript.Arguments(0)).Size = lastSize And lastSize > 0 Then Exit Do
        lastSize = fso.GetFile(WScript.Arguments(0)).Size
    End If
    Dim pause : pause = Timer
    Do While Timer - pause < 0.3 : Loop
Loop
Set zipper = Nothing
If lastSize <= 0 Then WScript.Quit 3
WScript.Quit 0
