/* The zip library's interface (qnrz320.dll): the published Info-ZIP Zip 2.3
 * Windows DLL interface, records and prototypes in their exact binary
 * shape, shared by the library and its callers.
 *
 * Every function and callback is stdcall (WINAPI); text is single-byte in
 * the system code page (ANSI). ZpArchive returns Info-ZIP's ZE_ codes:
 * 0 OK; 2 unexpected end of archive; 3 archive structure error; 4 out of
 * memory; 5 internal logic error; 6 entry too large; 7 invalid comment
 * format; 8 test failed; 9 interrupted; 10 temporary file error; 11 read or
 * seek error; 12 nothing to do; 13 missing or empty archive; 14 write
 * error; 15 could not create file; 16 bad command parameters; 18 could not
 * open a file to read (the others were processed).
 *
 * Names. A file whose name is not plain ASCII is stored in UTF-8 with the
 * UTF-8 flag (bit 11) set, which unzip and 7-Zip read as the same name;
 * ASCII names are stored as they are. Members already in an archive keep
 * their stored bytes. Messages and the service callback name files and
 * members in the ANSI code page as the unzip library does: characters the
 * page lacks are written "#Uxxxx", never a look-alike, and a member to
 * delete may be named by that text. */
#ifndef BRALTO_ZIP_API_H
#define BRALTO_ZIP_API_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* One message piece of `count` bytes (not NUL-terminated). Returns 0. */
typedef int(WINAPI DLLPRNT)(LPSTR text, unsigned long count);
/* `buffer` (4097 bytes or more) holds the current archive comment; the
 * callback may replace it by a NUL-terminated text. Returns 1. */
typedef int(WINAPI DLLCOMMENT)(LPSTR buffer);
/* Returns 0 when a password was written into buffer, 1 for none. */
typedef int(WINAPI DLLPASSWORD)(LPSTR buffer, int size, LPCSTR prompt, LPCSTR name);
/* Called before each file; non-zero asks the library to stop (code 9). */
typedef int(WINAPI DLLSERVICE)(LPCSTR name, unsigned long size);

typedef struct {
    DLLPRNT* print;
    DLLCOMMENT* comment;
    DLLPASSWORD* password;
    DLLSERVICE* ServiceApplication;
} ZIPUSERFUNCTIONS, *LPZIPUSERFUNCTIONS;

/* Options of the next ZpArchive call, in this order. */
typedef struct {
    LPSTR Date;          /* unused */
    LPSTR szRootDir;     /* folder the names are relative to ("" or NULL: current) */
    LPSTR szTempDir;     /* unused: the temporary archive is made beside the archive */
    BOOL fTemp;          /* unused */
    BOOL fSuffix;        /* unused */
    BOOL fEncrypt;       /* encrypt with the password callback's answer */
    BOOL fSystem;        /* include hidden and system files */
    BOOL fVolume;        /* ignored */
    BOOL fExtra;         /* unused */
    BOOL fNoDirEntries;  /* do not store folder entries */
    BOOL fExcludeDate;   /* unused */
    BOOL fIncludeDate;   /* unused */
    BOOL fVerbose;       /* all messages (the default ones) */
    BOOL fQuiet;         /* without fVerbose: no per-file messages, warnings and errors only */
    BOOL fCRLF_LF;       /* text files: CR LF becomes LF */
    BOOL fLF_CRLF;       /* text files: LF becomes CR LF */
    BOOL fJunkDir;       /* store file names without their folders */
    BOOL fGrow;          /* add to the existing archive (always allowed) */
    BOOL fForce;         /* unused */
    BOOL fMove;          /* delete the files once the archive is written */
    BOOL fDeleteEntries; /* the names are members to delete */
    BOOL fUpdate;        /* only files newer than their member, and new files */
    BOOL fFreshen;       /* only members whose file is newer */
    BOOL fJunkSFX;       /* unused */
    BOOL fLatestTime;    /* unused */
    BOOL fComment;       /* ask for the archive comment */
    BOOL fOffsets;       /* unused */
    BOOL fPrivilege;     /* unused */
    BOOL fEncryption;    /* unused */
    int fRecurse;        /* 0 none; 1 into named folders; 2 into every folder, matching the mask */
    int fRepair;         /* unused */
    char fLevel;         /* '0' stores, '1' to '9' deflate */
} ZPOPT, *LPZPOPT;

/* One archive job: `argc` names in FNV (closed by a "" entry). */
typedef struct {
    int argc;
    LPSTR lpszZipFN;
    char** FNV;
} ZCL, *LPZCL;

/* Stores the callbacks; non-zero on success. */
int WINAPI ZpInit(LPZIPUSERFUNCTIONS functions);
/* Stores the options of the next job (strings are copied). */
BOOL WINAPI ZpSetOptions(LPZPOPT options);
/* The options last stored. */
ZPOPT WINAPI ZpGetOptions(void);
/* Runs the job; returns a ZE_ code. */
int WINAPI ZpArchive(ZCL names);

/* ZpArchive's result codes, Info-ZIP's ZE_ names and values. */
enum {
    ZE_OK = 0,
    ZE_EOF = 2,    /* unexpected end of archive */
    ZE_FORM = 3,   /* archive structure error */
    ZE_MEM = 4,    /* out of memory */
    ZE_LOGIC = 5,  /* internal logic error */
    ZE_BIG = 6,    /* entry too large */
    ZE_NOTE = 7,   /* invalid comment format */
    ZE_TEST = 8,   /* test failed */
    ZE_ABORT = 9,  /* interrupted: the service callback asked to stop */
    ZE_TEMP = 10,  /* temporary file error */
    ZE_READ = 11,  /* read or seek error */
    ZE_NONE = 12,  /* nothing to do */
    ZE_NAME = 13,  /* missing or empty archive */
    ZE_WRITE = 14, /* write error */
    ZE_CREAT = 15, /* could not create file */
    ZE_PARMS = 16, /* bad command parameters */
    ZE_OPEN = 18   /* could not open a file to read; the others were processed */
};

typedef int(WINAPI* ZpInitFunction)(LPZIPUSERFUNCTIONS);
typedef BOOL(WINAPI* ZpSetOptionsFunction)(LPZPOPT);
typedef int(WINAPI* ZpArchiveFunction)(ZCL);

#ifdef __cplusplus
}
#endif

#endif /* BRALTO_ZIP_API_H */
