<div class="question">
<p class="number">Вопрос 2</p>
<p>При напряжении 6 В сила тока в проводнике 0,2 А. Чему равно сопротивление проводника?</p>
<label><input type="radio" name="q2" value="a"> 30 Ом</label><br>
<label><input type="radio" name="q2" value="b"> 1,2 Ом</label><br>
<label><input type="radio" name="q2" value="c"> 0,03 Ом</label><br>
<label><input type="radio" name="q2" value="d"> 6,2 Ом</label>
</div>
<!--END-->
q2=a
