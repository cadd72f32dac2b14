// The acupoint table read from the run folder's data files once at start-up.
#pragma once

void load_atlas();
