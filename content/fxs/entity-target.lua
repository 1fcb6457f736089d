-- fxs/entity-target.lua
-- A red ring closing on an alien marked as the primary target.

-- ring
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ring.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.12, 0.2);
FXParm ("color_b", 0.08, 0.12);
FXParm ("scale_graph", 0, 1.6);
FXParm ("scale_graph", 1, 0.6);
FXParm ("age_to_die", 0.4, 0.45);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.3, 1);
FXParm ("alpha_graph", 1, 0);
