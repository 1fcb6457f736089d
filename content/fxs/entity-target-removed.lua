-- fxs/entity-target-removed.lua
-- The red target ring opening and fading: the mark is taken off.

-- ring
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/ring.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 1, 1);
FXParm ("color_g", 0.12, 0.2);
FXParm ("color_b", 0.08, 0.12);
FXParm ("scale_graph", 0, 0.6);
FXParm ("scale_graph", 1, 1.6);
FXParm ("age_to_die", 0.35, 0.4);
