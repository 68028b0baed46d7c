/* Resource numbers of the add-files window's pictures. Shared by C++ and by
   the resource scripts of the programs that show the window, so it holds
   nothing but #defines. */
#pragma once

/* The view button shows the file list's current view: 11 for the list
   view (2), 12 for the report view (3), i.e. view + 9. */
#define IDB_ADDFILES_VIEW_LIST 11
#define IDB_ADDFILES_VIEW_REPORT 12
/* The selection picture: 13 while nothing is selected, 14 afterwards. */
#define IDB_ADDFILES_SELECTION_EMPTY 13
#define IDB_ADDFILES_SELECTION_FULL 14
