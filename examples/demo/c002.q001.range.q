Тема=Единицы измерения
<!--END-->
<div class="question">
<p class="number">Вопрос 1</p>
<p>В каких единицах измеряют электрическое сопротивление?</p>
<label><input type="radio" name="q1" value="a"> в амперах (А)</label><br>
<label><input type="radio" name="q1" value="b"> в вольтах (В)</label><br>
<label><input type="radio" name="q1" value="c"> в омах (Ом)</label><br>
<label><input type="radio" name="q1" value="d"> в ваттах (Вт)</label>
</div>
<!--END-->
q1=c
