// Every piece of the core's global state back to what it is when the program
// starts: the one list of them, so that nothing is forgotten by whoever needs
// a clean start (each test begins with it).
#pragma once

// The model to its start values; no transaction (completion code and the
// cancel suppression included); serial RS-232C link, client mode, slave
// address 0, first port, no port names, empty host table, not running; no
// transport, message sink, file dialogs, status window hooks or redraw hooks;
// no pending dialog reply line and no last serial frame; no settings file and
// nothing modified; no TCP connection (the connection table as the TCP link
// starts it, entry 0 reserved), no socket and an empty receive buffer; no
// input/output status window (poll counter 0, nothing handed over to it);
// nothing selected in the dialogs.
void ResetProgramState();
