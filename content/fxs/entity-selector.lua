-- fxs/entity-selector.lua
-- A green ring pulsing out from under the selected trooper.

-- ring
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ring.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 0.3, 0.4);
FXParm ("color_g", 1, 1);
FXParm ("color_b", 0.35, 0.45);
FXParm ("scale_graph", 0, 0.5);
FXParm ("scale_graph", 1, 1.2);
FXParm ("age_to_die", 0.45, 0.5);
FXParm ("alpha_graph", 0, 0.2);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
