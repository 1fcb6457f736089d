-- fxs/env-fireflies.lua
-- Fireflies blinking over the marsh.

FXParm ("num_parts", 1);
FXParm ("bitmap", "fxs/firefly.png");
FXParm ("blend_mode", "ADDITIVE");
FXParm ("color_r", 0.8, 0.9);
FXParm ("color_g", 1, 1);
FXParm ("color_b", 0.3, 0.4);
FXParm ("alpha_graph", 0, 0);
FXParm ("alpha_graph", 0.3, 1);
FXParm ("alpha_graph", 0.5, 0.2);
FXParm ("alpha_graph", 0.7, 1);
FXParm ("alpha_graph", 1, 0);
FXParm ("area_box", 300, 200);
FXParm ("move_angle_spread", 360);
FXParm ("speed", 5, 15);
FXParm ("dampening_factor", 0.8, 0.9);
FXParm ("scale", 0.6, 1);
FXParm ("age_to_die", 2, 4);
