#pragma once

// Brings the per-user autostart entry in line with the "check" setting of data.ini: on when it is
// greater than 0, pointing at the running executable; off otherwise. Run at every start and by the
// general settings page after it stored the switch, so the entry always follows data.ini.
void applyAutostartSetting();
