-- fxs/pinpoint.lua
-- An amber ring widening around the tactical mode button to point at it.

-- ring
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ring.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.8, 0.9);
FXParm ("color_b", 0.25, 0.4);
FXParm ("scale_graph", 0, 0.4);
FXParm ("scale_graph", 1, 1.5);
FXParm ("age_to_die", 0.7, 0.7);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
