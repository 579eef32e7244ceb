// The team server's password when libpq's password file has none (or a wrong one): asked for
// once in a password box and kept in memory only, never in a file.
#pragma once

namespace Records {

class TeamSync;

// Asks the first time `sync` says a password is needed or wrong.
void askForTeamPassword(TeamSync& sync);

} // namespace Records
