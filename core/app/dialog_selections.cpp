#include "app/dialog_selections.h"

DialogSelectionsRecord DialogSelections = {};
