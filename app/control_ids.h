/* The two controls of the main window that the engine's callers name as well: the label
   that shows the training prompts, and the first of the virtual remote's buttons (button i
   is control IDC_FIRST_REMOTE_BUTTON + i). Plain macros: the resource compiler reads this
   file too, through resources/resource.h. */
#ifndef OVALINK_APP_CONTROL_IDS_H
#define OVALINK_APP_CONTROL_IDS_H

#define IDC_LEVEL_LABEL 1024
#define IDC_FIRST_REMOTE_BUTTON 2013

#endif
