<div class="question">
<p class="number">Вопрос 2</p>
<p>Напряжение на резисторе 12 В, его сопротивление 4 Ом. Чему равна сила тока в резисторе?</p>
<label><input type="radio" name="q2" value="a"> 48 А</label><br>
<label><input type="radio" name="q2" value="b"> 3 А</label><br>
<label><input type="radio" name="q2" value="c"> 0,33 А</label><br>
<label><input type="radio" name="q2" value="d"> 16 А</label>
</div>
<!--END-->
q2=b
