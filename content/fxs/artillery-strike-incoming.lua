-- fxs/artillery-strike-incoming.lua
-- A pulsing red marker where the shell will land, with its whistle.

-- ring
FXParm ("num_parts", 3);
FXParm ("bitmap", "fxs/ring.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.12, 0.2);
FXParm ("color_b", 0.08, 0.12);
FXParm ("scale_graph", 0, 1.4);
FXParm ("scale_graph", 1, 0.5);
FXParm ("age_to_die", 0.5, 0.5);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age", -0.6, 0);
FXParm ("sound", "sfx/artillery_whistle");
FXParm ("sound_volume", 0.8, 0.9);
