' A client that knows the server only by its ProgIDs: creates the objects
' late-bound, reads and sets properties by name, and lists an archive made
' by Info-ZIP's zip. Exit code: number of failed checks.
Option Explicit

Dim failures
failures = 0

Sub Check(condition, what)
    If Not condition Then
        WScript.Echo "FAILED: " & what
        failures = failures + 1
    End If
End Sub

Dim shell, work
Set shell = CreateObject("WScript.Shell")
' Wine's ExpandEnvironmentStrings leaves the terminating NUL in the string.
work = Replace(shell.ExpandEnvironmentStrings("%QNRZIP_TEST_WORK%"), Chr(0), "")
work = "Z:" & Replace(work, "/", "\") & "\"

' The zip object: start-up values and properties by name.
Dim zipper
Set zipper = CreateObject("qnrZip.cAsyncZip")
Check zipper.StoreDirectories = True, "StoreDirectories starts True"
Check zipper.StoreFolderNames = False, "StoreFolderNames starts False"
Check zipper.RecurseSubDirs = False, "RecurseSubDirs starts False"
Check zipper.CompressionLevel = 6, "CompressionLevel starts at 6"
Check zipper.MessageLevel = 2, "MessageLevel starts at 2"
Check zipper.AllowAppend = False, "AllowAppend starts False"
zipper.CompressionLevel = 4
Check zipper.CompressionLevel = 4, "CompressionLevel 4 reads back 4"
zipper.ZipFile = work & "script.zip"
Check zipper.ZipFile = work & "script.zip", "ZipFile reads back"
Check zipper.AddFileSpec("a.txt") = 0, "AddFileSpec returns 0"
Check zipper.FileSpecCount = 1, "one file specification"
Check zipper.FileSpec(1) = "a.txt", "FileSpec(1) reads back"
zipper.DeleteEntries = True
Check zipper.DeleteEntries = True, "DeleteEntries reads back True"

Dim value
On Error Resume Next
value = zipper.FileSpec(2)
Check Err.Number = 9, "FileSpec(2) raises error 9, got " & Err.Number
Err.Clear
On Error GoTo 0

' The unzip object: a synchronous listing of a peer archive.
Dim unzipper
Set unzipper = CreateObject("qnrZip.cAsyncUnzip")
unzipper.ZipFile = work & "peer.zip"
Check unzipper.IsValidArchive() = 0, "the peer archive is valid"
Check unzipper.Directory() = 0, "Directory returns 0"
Check unzipper.FileCount = 3, "three members listed, got " & unzipper.FileCount
Check unzipper.NumMembers = 5, "five entries counted, got " & unzipper.NumMembers
Check unzipper.Listing = False, "Directory leaves Listing False"

Dim i, found
found = False
For i = 1 To unzipper.FileCount
    If unzipper.Filename(i) = "c.txt" Then
        found = True
        Check unzipper.FileDirectory(i) = "input\sub", "folder of c.txt, got " & unzipper.FileDirectory(i)
        Check unzipper.FilePackedSize(i) = 2100, "size of c.txt, got " & unzipper.FilePackedSize(i)
        Check unzipper.FileSelected(i) = True, "members start selected"
    End If
Next
Check found, "c.txt is listed"

On Error Resume Next
value = unzipper.Filename(0)
Check Err.Number = 9, "Filename(0) raises error 9, got " & Err.Number
Err.Clear
On Error GoTo 0

unzipper.UnzipFolder = "C:\Temp"
Check unzipper.UnzipFolder = "C:\Temp\", "UnzipFolder gains a backslash"

Set unzipper = Nothing
Set zipper = Nothing
If failures = 0 Then WScript.Echo "late-bound client: all checks passed"
WScript.Quit failures
