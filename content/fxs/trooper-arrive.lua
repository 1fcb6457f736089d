-- fxs/trooper-arrive.lua
-- A trooper arrives: a green glow settling under it and a few sparks.

-- glow
FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/foot-glow.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("scale_graph", 0, 2);
FXParm ("scale_graph", 1, 0.8);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.2, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("age_to_die", 0.6, 0.6);

AddFX ();
-- sparks
FXParm ("num_parts", 6);
FXParm ("bitmap", "fxs/spark.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 0.3, 0.4);
FXParm ("color_g", 1, 1);
FXParm ("color_b", 0.35, 0.45);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 40, 90);
FXParm ("dampening_factor", 0.1, 0.3);
FXParm ("scale", 0.4, 0.8);
FXParm ("scale_graph", 0, 1);
FXParm ("scale_graph", 1, 0.3);
FXParm ("angle_spread", 360);
FXParm ("age_to_die", 0.2, 0.35);
