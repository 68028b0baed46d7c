/* The unzip library's interface (qnruz320.dll): the published Info-ZIP
 * UnZip 5.4x Windows DLL interface, records and prototypes in their exact
 * binary shape, shared by the library and its callers.
 *
 * Every function and callback is stdcall (WINAPI); text is single-byte in
 * the system code page (ANSI). Result codes are listed below.
 *
 * Member names. A stored name is read as UTF-8 when its UTF-8 flag says so,
 * from a valid Info-ZIP Unicode Path field (0x7075, CRC of the stored name
 * checked), or when it was written on a system other than MS-DOS, OS/2 or
 * Windows and its bytes are valid UTF-8 (Info-ZIP's zip on Linux and macOS);
 * otherwise it is in the OEM code page. Every callback that names a member
 * (listing, messages, replace, password, service) and the include and
 * exclude lists use one text per member, with '/' separators as stored: the
 * name in the ANSI code page, where each character that page lacks is
 * written "#Uxxxx" (or "#Lxxxxxx" beyond U+FFFF, hexadecimal, as Info-ZIP
 * escapes names), never a look-alike ("Ω" never becomes "O", a full-width
 * "．．＼" never "..\"). A real "#U" or "#L" followed by hexadecimal digits
 * has its '#' written "#U0023", so two members never share a text: handing
 * the listed text back in the include list selects that member alone. A
 * text holding "#U" was escaped. Files are written under the real name
 * (made safe for Windows), whatever the ANSI code page can show. */
#ifndef BRALTO_UNZIP_API_H
#define BRALTO_UNZIP_API_H

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Options of one call (Info-ZIP's DCL), in this order. */
typedef struct {
    int ExtractOnlyNewer;  /* skip members whose file on disk is not older */
    int SpaceToUnderscore; /* spaces in names become '_' */
    int PromptToOverwrite; /* ask through the replace callback */
    int fQuiet;            /* 0 all messages, 1 fewer, 2 none */
    int ncflag;            /* write to stdout: unused */
    int ntflag;            /* test */
    int nvflag;            /* list */
    int nfflag;            /* freshen: only files that exist */
    int nzflag;            /* display the archive comment */
    int ndflag;            /* recreate stored folders */
    int noflag;            /* overwrite without asking */
    int naflag;            /* text conversion (LF to CR LF) */
    int nZIflag;           /* zipinfo mode: unused */
    int C_flag;            /* 1: match names without regard to case */
    int fPrivilege;        /* unused */
    LPSTR lpszZipFN;       /* archive path */
    LPSTR lpszExtractDir;  /* extraction folder */
} DCL, *LPDCL;

typedef int(WINAPI DLLPRNT)(LPSTR text, unsigned long count);
typedef void(WINAPI DLLSND)(void);
/* The replace callback's answers (Info-ZIP's IDM_REPLACE_ values). */
enum {
    IDM_REPLACE_NO = 100,  /* keep the file on disk */
    IDM_REPLACE_YES = 102, /* overwrite it */
    IDM_REPLACE_ALL = 103, /* overwrite it and every later one */
    IDM_REPLACE_NONE = 104 /* keep it and every later one */
};
/* Returns one of the IDM_REPLACE_ answers above. */
typedef int(WINAPI DLLREPLACE)(LPSTR filename);
/* Returns 0 when a password was written into buffer, 1 for none. */
typedef int(WINAPI DLLPASSWORD)(LPSTR buffer, int size, LPCSTR prompt, LPCSTR name);
/* One member of a listing. mark has bit 0x40 set when encrypted. */
typedef void(WINAPI DLLMESSAGE)(unsigned long ucsize, unsigned long csize, unsigned ratio, unsigned day, unsigned month,
                                unsigned year, unsigned hour, unsigned minute, char c, LPSTR path, LPSTR method,
                                unsigned long crc, char mark);
/* Called before each member; non-zero asks the library to stop (code 80). */
typedef int(WINAPI DLLSERVICE)(LPCSTR name, unsigned long size);

typedef struct {
    DLLPRNT* print;
    DLLSND* sound;
    DLLREPLACE* replace;
    DLLPASSWORD* password;
    DLLMESSAGE* SendApplicationMessage;
    DLLSERVICE* ServCallBk;
    unsigned long TotalSizeComp; /* totals written by a listing */
    unsigned long TotalSize;
    int CompFactor;
    unsigned int NumMembers;
    WORD cchComment;
} USERFUNCTIONS, *LPUSERFUNCTIONS;

typedef struct {
    unsigned char major;
    unsigned char minor;
    unsigned char patchlevel;
    unsigned char not_used;
} UzpVersionType;

/* 64 bytes; structlen must be set by the caller. */
typedef struct {
    unsigned long structlen;
    unsigned long flag; /* bit 0: beta, bit 1: uses zlib */
    char betalevel[10];
    char date[20];
    char zlib_version[10];
    UzpVersionType unzip;   /* offset 48 */
    UzpVersionType zipinfo; /* offset 52 */
    UzpVersionType os2dll;  /* offset 56 */
    UzpVersionType windll;  /* offset 60 */
} UzpVer2;

/* Result codes. */
enum {
    PK_OK = 0,
    PK_WARN = 1,   /* e.g. empty archive */
    PK_ERR = 2,    /* some members failed */
    PK_BADERR = 3, /* damaged directory */
    PK_MEM = 4,    /* 4 to 8: out of memory */
    PK_MEM5 = 8,   /* the last of the out-of-memory codes */
    PK_NOZIP = 9,  /* archive missing or not a Zip file */
    PK_PARAM = 10,
    PK_FIND = 11, /* no member matched */
    PK_DISK = 50,
    PK_EOF = 51,
    IZ_CTRLC = 80, /* stopped by the service callback */
    IZ_UNSUP = 81, /* unsupported compression or encryption */
    IZ_BADPWD = 82 /* no member could be decrypted */
};

typedef int(WINAPI WIZ_SINGLEENTRYUNZIP)(int ifnc, char** ifnv, int xfnc, char** xfnv, LPDCL lpDCL,
                                         LPUSERFUNCTIONS lpUserFunc);
typedef int(WINAPI WIZ_VALIDATE)(LPSTR archive, int AllCodes);
typedef void(WINAPI UZPVERSION2)(UzpVer2* version);

#ifdef BRALTO_BUILDING_QNRUZ320
/* Lists (nvflag), tests (ntflag) or extracts the archive lpDCL->lpszZipFN.
 * ifnv/xfnv: ifnc/xfnc include and exclude names (wildcards allowed); an
 * empty include list means every member. Returns a result code. */
int WINAPI Wiz_SingleEntryUnzip(int ifnc, char** ifnv, int xfnc, char** xfnv, LPDCL lpDCL, LPUSERFUNCTIONS lpUserFunc);
/* Checks that archive exists and its directory reads: 0 good, 1 empty,
 * 3 damaged, 9 missing or not a Zip file. */
int WINAPI Wiz_Validate(LPSTR archive, int AllCodes);
/* Fills the version record (at most structlen bytes of it). */
void WINAPI UzpVersion2(UzpVer2* version);
#endif

#ifdef __cplusplus
}
#endif

#endif
