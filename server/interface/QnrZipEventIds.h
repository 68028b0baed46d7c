/* The DISPIDs of the qnrZip server's events, the one definition read by
 * qnrZip.idl (through widl's preprocessor), by the server that raises the
 * events and by the client that receives them. Plain #defines, as widl's
 * preprocessor reads no C++. */
#ifndef QNRZIP_EVENT_IDS_H
#define QNRZIP_EVENT_IDS_H

/* __cAsyncZip */
#define DISPID_ZIP_CANCEL 1
#define DISPID_ZIP_PASSWORDREQUEST 2
#define DISPID_ZIP_COMMENTREQUEST 3
#define DISPID_ZIP_PROGRESS 4
#define DISPID_ZIP_COMPLETE 5

/* __cAsyncUnzip */
#define DISPID_UNZIP_CANCEL 1
#define DISPID_UNZIP_OVERWRITEPROMPT 2
#define DISPID_UNZIP_PASSWORDREQUEST 3
#define DISPID_UNZIP_PROGRESS 4
#define DISPID_UNZIP_COMPLETE 5

#endif
