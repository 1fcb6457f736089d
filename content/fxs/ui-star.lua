-- fxs/ui-star.lua
-- A star of the mission rating pops into place.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/star.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("scale_graph", 0, 2);
FXParm ("scale_graph", 0.5, 0.9);
FXParm ("scale_graph", 1, 1);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.3, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.5, 0.5);
FXParm ("sound", "sfx/ui_star");
FXParm ("sound_volume", 1, 1);
FXParm ("sound_freq", 0.92, 1.06);
