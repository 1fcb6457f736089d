-- fxs/egg-pulse.lua
-- The faint pulse of an egg's glow while it waits.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/glow.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.45, 0.55);
FXParm ("color_b", 0.15, 0.2);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.5, 0.6);
FXParm ("alpha_graph", 1, 0);
FXParm ("scale", 0.7, 0.7);
FXParm ("scale_graph", 0, 0.8);
FXParm ("scale_graph", 1, 1.1);
FXParm ("age_to_die", 0.5, 0.5);
