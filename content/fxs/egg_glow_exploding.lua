-- fxs/egg_glow_exploding.lua
-- A hot red glow: the egg is about to burst.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/glow.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.1, 0.25);
FXParm ("color_b", 0.05, 0.05);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 0.5, 1.2);
FXParm ("scale_graph", 1, 0.8);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.3, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.35, 0.35);
